#pragma once

#include "export/codewriters.h"
#include "export/textencoding.h"

#include <QString>

class ByteSink;
class PictureDecoder;

// What the converter makes of a picture.
struct RoadOptions {
    CodeFormat format = CodeFormat::A51;
    bool convert = false; // colour to black and white first, as the window's 彩色>>黑白... does
    TextEncoding encoding = TextEncoding::Utf8;
    QString picfile; // the picture, as the header names it
    CodeStamp stamp;
};

struct RoadResult {
    bool ok = false;
    QString error;        // why not; empty when ok
    bool written = false; // some bytes reached the sink before the failure
    bool lossless = true; // every character of the header has a code in the encoding
};

// Runs a picture from its decoder down to the bytes of the chosen format, a row at a time as the decoder
// delivers them, through the row functions the window's export uses (the conversion, the black test, the
// packing, the writer's row text), into `sink` in large blocks: the header, then each row's text (A51, C51) or
// its packed bytes (HEX). The picture is never held whole. A width that is not a multiple of 8 is refused
// before anything is written; a row the decoder cannot deliver, or a failed write, stops the road there.
RoadResult runRoad(PictureDecoder &decoder, const RoadOptions &options, ByteSink &sink);
