#pragma once

#include "imaging/pack.h"

#include <QList>
#include <QString>

// Display controllers and how they take their pixels, for --display and --list-displays.
struct DisplayController {
    const char *name;
    int width; // the screen the controller drives, in pixels
    int height;
    PixelFormat pixel; // the one it takes
    PackOptions pack;  // its layout, bit and byte order and ink, which the options given may change
    bool
        turns; // it can scan the screen turned a quarter (its memory access control), so the picture may lie either way
    const char *words; // the datasheet's words for its memory layout
};

const QList<DisplayController> &displays();
const DisplayController *displayNamed(const QString &name);

// The table as --list-displays prints it, a line a display after a heading.
QString displayTable();
