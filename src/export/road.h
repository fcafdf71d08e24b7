#pragma once

#include "core/limits.h"
#include "export/cheader.h"
#include "export/codewriters.h"
#include "export/textencoding.h"
#include "imaging/blackwhite.h"
#include "imaging/pixeltable.h"
#include "imaging/turn.h"

#include <QString>

#include <cstdint>
#include <functional>

class ByteSink;
class PictureDecoder;

// What the converter writes: the window's three forms, Intel HEX records of the bytes, and a netpbm P4
// picture of the bits as packed.
enum class OutputFormat { A51, C51, Hex, IntelHex, Pbm };

// The bytes go 8 horizontal pixels to a byte, row by row (the window's packing), or 8 vertical pixels to a
// byte in pages of 8 rows from the top, a byte a column, as most monochrome LCD and OLED controllers take them.
enum class Layout { Horizontal, Vertical };

// What the converter makes of a picture. Everything is off by default, and then the output is, byte for byte,
// what the window's export writes.
struct RoadOptions {
    OutputFormat format = OutputFormat::A51;
    // Black and white: exact black only, unless one of these three is chosen.
    bool convert = false; // the window's colour to black-and-white conversion
    int threshold = -1;   // black where the luminance is below this, 0 to 255
    Dither dither = Dither::None;
    int rotate = 0; // degrees clockwise, before the flip
    Flip flip = Flip::None;
    Layout layout = Layout::Horizontal;
    BitOrder bitOrder = BitOrder::MsbFirst;
    bool pad = false;          // horizontal: pad each row with white to a whole byte instead of refusing
    bool invert = false;       // 1 bits for white pixels (the PBM picture stays black on white)
    std::uint32_t address = 0; // Intel HEX: where the first byte goes
    // A51: a label line "name:" before the data; C51: the data as the array `unsigned char code name[bytes]`.
    QString name;
    CDialect dialect = CDialect::Keil;
    TextEncoding encoding = TextEncoding::Utf8;
    QString picfile; // the picture, as the header names it
    CodeStamp stamp;
    // When set, receives the preview of the picture as packed, a line at a time, `previewColumns` wide at most.
    std::function<void(const QString &line)> preview;
    int previewColumns = 80;
    // The memory budget of what is held whole (a turned picture); the decoder has its own limits.
    Limits limits;
};

struct RoadResult {
    bool ok = false;
    QString error;        // why not; empty when ok
    bool written = false; // some bytes reached the sink before the failure
    bool lossless = true; // every character of the header has a code in the encoding
    int width = 0;        // the picture as turned, and as packed (padded)
    int height = 0;
    int packedWidth = 0;
    int packedHeight = 0;
    std::int64_t dataBytes = 0;
};

// Runs a picture from its decoder down to the bytes of the chosen format, a row at a time as the decoder
// delivers them, through the row functions the window's export uses (the conversion, the black test, the
// packing, the writer's row text), into `sink` in large blocks: the header, then each row's (or page's) text
// or bytes. The picture is held whole only to rotate it or flip it upside down, within the memory limit. A
// picture whose width (as turned) is not a multiple of 8 is refused before anything is written, in the
// horizontal layout and without `pad`, and so is one the turn may not hold; a row the decoder cannot deliver,
// or a failed write, stops the road there.
RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, ByteSink &sink);
