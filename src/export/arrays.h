#pragma once

#include "decode/frames.h"
#include "export/framelayout.h"

#include <QList>
#include <QString>

#include <cstdint>

struct Geometry;

// The arrays of a named output, planned once: what the data file defines, in order, and what its C header and
// assembler include declare of the same arrays.
struct PlannedArray {
    QString name;          // logo, logo_offsets, logo_s0
    int elementBytes = 1;  // 1, 2 or 4: unsigned char, unsigned int (16 bits to the 8051 compilers), unsigned long
    QString size;          // as the data file declares it: "128", or a table of rows, "4][32"
    QString sizeInHeader;  // the same by the header's macros: "LOGO_BYTES", "LOGO_FRAMES][LOGO_BYTES"
    std::int64_t rows = 0; // the data as a table of a row a frame: the frames; 0: flat
    bool oneAfterAnother = false;           // the data: the frames each of its own size, where each starts in a table
    FrameTable values{FrameValues::Widths}; // a table's values; the data's first array holds none
    bool isData = false;
};

// The arrays of the output named `name`: the data first (the frames one after the other, or a table of a row
// each, or the picture alone), then each of `tables` after it. `macro` is the header's prefix (LOGO_), and
// `oneAfterAnother` says the frames are stored each of its own size, packed or cropped, with where each starts.
QList<PlannedArray> planArrays(const QString &name, const QString &macro, const Geometry &geometry,
                               const FrameLayout &layout, bool oneAfterAnother, const QList<FrameTable> &tables);
