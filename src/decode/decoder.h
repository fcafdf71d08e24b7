#pragma once

#include "core/refusal.h"

#include "core/limits.h"
#include "decode/bytesource.h"

#include <QRgb>
#include <QSize>
#include <QString>

#include <cstdint>
#include <memory>

// A picture read row by row, top to bottom, as it is decoded: nothing holds the whole picture unless its
// format forces that (an interlaced GIF). Rows come as QRgb with their alpha, not premultiplied: what is
// transparent stays so, for the caller to lay over a background (the window's is white). Each reader gives the
// pixels the format defines (and Windows and browsers show); where the definition is silent, the reader says
// what it chooses. A file that ends before its last row, or before what the format puts after it, is refused.
class PictureDecoder {
public:
    virtual ~PictureDecoder() = default;

    int width() const { return width_; }
    int height() const { return height_; }
    // Whether any pixel may have an alpha below 255: false promises that every row is opaque.
    virtual bool mayBeTransparent() const { return false; }

    // Before the first row: chooses the size to decode at, the smallest the format can decode that is at least
    // `atLeast` (JPEG's DCT scaling; any other picture, or no size asked, decodes whole), and starts decoding.
    // width() and height() are then that size. False, with the reason, when decoding cannot start (a multi-scan
    // JPEG, read whole here, cut short). The first row starts a picture not started.
    bool prepare(QSize atLeast = {});

    // Decodes the next row into `row` (width() pixels). False when the file is damaged or ends before the
    // row is whole, or, with the last row, when what must follow it is missing or damaged; refusal() then
    // says why, and every later call fails too.
    bool readRow(QRgb *row);
    const Refusal &refusal() const { return error_; }
    // What the caller holds the picture whole in, reserved from the budget before anything was decoded (see
    // PictureLimits::heldBytesPerPixel); the caller keeps it for as long as it holds the picture.
    Reservation takeHeld() { return std::move(held_); }

protected:
    // Starts decoding at the smallest size of at least `atLeast` the format decodes; false after fail().
    virtual bool start([[maybe_unused]] QSize atLeast) { return true; }
    // Decodes row `y` (the rows come in order); false after fail().
    virtual bool decodeRow(int y, QRgb *row) = 0;
    // Reads what the format puts after the last row (the rest of a frame's data, a PNG's closing chunks); false
    // after fail().
    virtual bool finish() { return true; }
    bool fail(const Refusal &why);
    // Whether a picture of `width` x `height` may be read within `limits`, its caller's picture reserved first:
    // false, with the reason, when it may not.
    bool admit(const struct PictureLimits &limits, std::int64_t width, std::int64_t height, Refusal *why);

    std::int64_t width_ = 0;
    std::int64_t height_ = 0;

private:
    bool started_ = false;
    int nextRow_ = 0;
    Refusal error_;
    Reservation held_;
};

// The picture formats a caller accepts: the window's BMP, JPEG and GIF; the converter's, which add PNG.
enum class PictureFormats { WindowFormats, AllFormats };

// What a caller accepts: the formats, and the sizes. A picture over the limits is refused from its header,
// before anything else is read or allocated; so is a frame, or what must be held whole to read the picture.
struct PictureLimits {
    PictureFormats formats = PictureFormats::AllFormats;
    Limits sizes;
    // The bytes a pixel at which the caller will hold the picture whole (the window: 4), reserved from the budget
    // as soon as the header is read, before what the reader itself must hold: a picture that does not fit is
    // refused before any of it is decoded. 0: the caller holds rows only.
    std::int64_t heldBytesPerPixel = 0;
};

// Reads the header of the picture in `source`, recognised by its content whatever the file is called. Null,
// with `why` saying why, when it is none of the accepted formats, too large, or its header is damaged or
// cut short. Width and height are then known and at least 1; no pixel has been decoded.
std::unique_ptr<PictureDecoder> openPicture(std::unique_ptr<ByteSource> source, const PictureLimits &limits,
                                            Refusal *why);

// The readers of each format, for openPicture. Each checks the sizes against the limits as soon as it knows them.
std::unique_ptr<PictureDecoder> openBmp(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);
std::unique_ptr<PictureDecoder> openGif(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);
std::unique_ptr<PictureDecoder> openJpeg(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);
std::unique_ptr<PictureDecoder> openPng(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);
// A reader of type Decoder opened on `source`: null, with the reason, when Decoder::open refuses the header.
template <typename Decoder>
std::unique_ptr<PictureDecoder> openWith(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    auto decoder = std::make_unique<Decoder>();
    if (!decoder->open(std::move(source), limits, why))
        return nullptr;
    return decoder;
}
