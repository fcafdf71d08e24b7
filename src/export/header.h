#pragma once

#include "export/road.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

class FrameSource;

// What a header says of the data the road made, and the header lines of the data's own text.

// The header lines that say how the bytes are laid out, where the pixel format is not mono: nothing for mono.
QStringList pixelFormatNotes(PixelFormat pixel, const PackOptions &pack);

// The version of the data's format, as a header says it (NAME_FORMAT_VERSION): the drawing runtime takes tables
// of its own version alone, so that a table and the runtime that draws it cannot disagree unnoticed. One more
// whenever what the runtime reads of a table changes.
constexpr int dataFormatVersion = 1;

// How the bytes are laid out, for a header to say to a program: each a name after the array's (PIXEL_FORMAT,
// BITS_PER_PIXEL, LAYOUT, BIT_ORDER, BYTE_ORDER, FORMAT_VERSION) and its value, a number or one of
// formatConstants()'s names.
QList<std::pair<QString, QString>> formatMacros(PixelFormat pixel, const PackOptions &pack);
// The named constants those values are: TESSALINE_MONO, TESSALINE_VERTICAL, TESSALINE_LSB_FIRST and the others.
QList<std::pair<QString, int>> formatConstants();

// The header of a named output, in its encoding: for C51 a C header, an include guard, the sizes, the data's
// format and an extern declaration of each array the road made (result.arrays); for A51 and sdas an include file
// of the same as EQUs or assignments, and the arrays declared external. `frames` are what the road ran over.
// `inC`: a C header whatever the format, for C code to use an assembler's arrays (sdas's in SDCC's spelling).
QByteArray headerText(const RoadOptions &road, const RoadResult &result, const FrameSource &frames, bool inC);
