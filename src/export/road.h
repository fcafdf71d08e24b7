#pragma once

#include "core/limits.h"
#include "decode/frames.h"
#include "export/encoders.h"
#include "export/preview.h"
#include "imaging/pack.h"
#include "imaging/resize.h"
#include "imaging/tone.h"
#include "imaging/turn.h"

#include <QString>

#include <cstdint>
#include <functional>

class ByteSink;
class PictureDecoder;

// What the converter makes of a picture, stage by stage. Everything is off by default, and then the output
// is, byte for byte, what the window's export writes.
// How packed frames are stored: as they are (one after the other, where --compress auto finds packing makes them
// larger), with PackBits, or as LZ4 blocks; the numbers are the header's NAME_CODEC.
enum class Codec { Stored = 0, PackBits = 1, Lz4 = 2 };

struct RoadOptions {
    int rotate = 0; // degrees clockwise, before the flip
    Flip flip = Flip::None;
    PixelFormat pixel = PixelFormat::Mono; // what the tone makes, the packer packs and a picture output draws
    ResizeOptions resize; // the size each frame is brought to (as turned), before the turn and the tone
    ToneOptions tone;
    PackOptions pack;
    bool compress = false;   // each frame's bytes packed with PackBits; with a name, an offsets table after them
    bool lz = false;         // packed, with LZ4 (a block a frame) instead
    bool smallest = false;   // packed, each way (stored, PackBits, LZ4), and the smallest kept
    bool delta = false;      // packed, each frame after a key frame as its XOR with the one before it
    int keyEvery = 0;        // with delta, frames 0, N, 2N ... whole (keys); 0: frame 0 alone
    bool mask = false;       // with a name, NAME_mask: a bit a pixel where it is opaque, in the data's layout
    QList<FrameValues> omit; // tables left out of the data and the header
    EncodeOptions encode;
    // When set, receives the preview of the picture as the display shows it, a line at a time, `previewColumns`
    // wide at most.
    std::function<void(const QString &line)> preview;
    // With a preview, called once before its first line with what the drawing leaves out.
    std::function<void(const PreviewNote &note)> previewNote;
    static constexpr int defaultPreviewColumns = 80;
    int previewColumns = defaultPreviewColumns;
    bool previewColour = true; // grey and colour previewed in terminal colours, else in half blocks
    // When set, called with the rows of the first frame done: 0 once the header is written, then after each row,
    // everything before it handed to the sink first. The window's progress, and its text a row at a time.
    std::function<void(int rowsDone)> rowsDone;
};

struct RoadResult {
    bool ok = false;
    Refusal error;        // why not; empty when ok
    bool written = false; // some bytes reached the sink before the failure
    bool lossless = true; // every character of the comments has a code in the encoding
    Geometry geometry;    // the picture as turned, as packed, and the data's bytes
    // Compressed: the bytes written (geometry.dataBytes before), and where each frame's start (one more: the end).
    std::int64_t compressedBytes = 0;
    QList<std::uint32_t> offsets;
    Codec codec = Codec::PackBits; // how they are packed (the header's NAME_CODEC)
    int offsetBytes = 2;           // each offset's bytes in the table: 4 past 64 KiB, more than an 8051 addresses
    QList<PlannedArray> arrays;    // what a name made of the data and its tables, as the header declares them
    std::int64_t greysAsWhite = 0; // mono by the exact rule: pixels neither black nor white, taken for white
    std::int64_t transparent = 0;  // with a mask: the pixels it leaves clear
    std::uint32_t background = 0;  // a pixel of the background as the data holds it: its levels, one value
    std::optional<GlyphTableShape> glyphTable; // a glyph table's shape, as its headers say it
};

// Runs a picture down the road a row at a time, as the decoder delivers its rows: decode, resize, turn, tone,
// pack, encode, into `sink` in large blocks. The picture is held whole only to rotate it or flip it upside down,
// and a resized one at its scaled size (with each step's before it), within the memory limit. A picture whose rows (as
// turned) make no whole number of bytes is refused before anything is written, unless `pad`; so is one the turn may not
// hold, and Intel HEX past 4 GiB. A row the decoder cannot deliver, or a failed write, stops the road there. What
// is held whole (a picture to be turned, or resized) is reserved from the budget of `limits`.
RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, const Limits &limits, ByteSink &sink);

// The same for several frames, one after the other, each down the whole road: in text, each frame's label
// before its bytes (and, named, a row of a table); raw and Intel HEX, the frames one after the other; PBM and
// PNG, one sheet of them all (held, within the memory limit); the preview, the sheet or the first frame.
// Compressed, each frame's bytes are packed alone and held until the last frame is done (within the memory
// limit): the output is then the packed frames one after the other, named as one array with a table of where
// each starts.
RoadResult runRoad(FrameSource &frames, const RoadOptions &options, const Limits &limits, ByteSink &sink);
