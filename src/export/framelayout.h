#pragma once

#include "decode/frames.h"

#include <QString>

// How an output writes the frames a source gives: what it names them, how it arranges them, and each table of
// values that goes with them.

struct FrameLayout {
    bool table = false;        // several frames as a table: a C51 array of a row a frame
    QString countName;         // the header's macro of the count: "COUNT" for glyphs, "FRAMES" for the rest
    int sheetColumns = 1;      // frames a row of the sheet that PBM, PNG and the preview draw
    bool previewsSheet = true; // the preview draws the sheet, or (an animation, tiles) the first frame alone
};
FrameLayout layoutOf(FrameKind kind, int count);

struct TableLayout {
    QString suffix; // after the array's name: "_codes"
    int bytes = 1;  // each value's: 1 (unsigned char), 2 (unsigned int, as the 8051 compilers have it) or 4
};
// A table's name and value type: each value as wide as its kind's values are (codes and delays 2 bytes, widths
// 1), wider where a value needs it (a delay past 65535 ms, offsets past 64 KiB), never cut.
TableLayout layoutOf(const FrameTable &table);
