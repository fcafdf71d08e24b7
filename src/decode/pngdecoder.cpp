// PNG through libpng, row by row: 1 to 16 bits, palette, grey, alpha, interlaced (held whole
// until its seven passes are read). Once the rows are whole the file's chunks are checked to its end chunk: a file
// cut short, without its end chunk, or with any chunk whose CRC is wrong, is refused.

#include "decode/decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>
#include <zlib.h>

namespace {

class PngDecoder : public PictureDecoder {
public:
    PngDecoder() = default;
    ~PngDecoder() override
    {
        if (png_)
            png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    PngDecoder(const PngDecoder &) = delete;
    PngDecoder &operator=(const PngDecoder &) = delete;

    bool mayBeTransparent() const override { return transparent_; }
    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);

protected:
    bool decodeRow(int y, QRgb *row) override;

private:
    // libpng reports a fatal error by calling this, which must not return: it jumps back to the call into the
    // library, across libpng's C frames only.
    static void error(png_structp png, png_const_charp message)
    {
        auto *decoder = static_cast<PngDecoder *>(png_get_error_ptr(png));
        if (decoder->refusal_.isEmpty()) // libpng's own words
            decoder->refusal_ = Refusal(Refusal::Rule::Damaged).saying(QString::fromLatin1(message)).in("PNG");
        png_longjmp(png, 1);
    }
    static void warning(png_structp, png_const_charp) {}
    static void read(png_structp png, png_bytep data, size_t count)
    {
        auto *decoder = static_cast<PngDecoder *>(png_get_io_ptr(png));
        const std::int64_t n = decoder->reader_->read(reinterpret_cast<char *>(data), std::int64_t(count));
        if (n != std::int64_t(count)) {
            decoder->refusal_ = n < 0 ? decoder->source_->refusal() : cutShort();
            png_error(png, "read");
        }
    }
    static Refusal cutShort() { return Refusal(Refusal::Rule::CutShort).in("PNG"); }
    // Reads the header and, with the sizes within `limits`, sets the rows up; false, with the reason, when it
    // cannot.
    bool start(const PictureLimits &limits, Refusal *why);
    bool readAll();
    bool finish() override;

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<ByteReader> reader_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    Refusal refusal_; // why libpng stopped
    bool interlaced_ = false;
    bool transparent_ = false;
    Reservation held_;            // image_'s bytes, and its rows' pointers
    std::vector<png_byte> image_; // an interlaced picture, whole, in the rows' layout
};

bool PngDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    source_ = std::move(source);
    reader_ = std::make_unique<ByteReader>(*source_);
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, &PngDecoder::error, &PngDecoder::warning);
    if (png_)
        info_ = png_create_info_struct(png_);
    if (!png_ || !info_) {
        *why = Refusal(Refusal::Rule::LibraryFailed).saying(QStringLiteral("libpng"));
        return false;
    }
    png_set_read_fn(png_, this, &PngDecoder::read);
    // The limits on the sides are ours, checked once the header is read; libpng's own stop below them.
    png_set_user_limits(png_, 0x7FFFFFFF, 0x7FFFFFFF);
    // Any chunk whose check sum is wrong: the file is damaged, whichever chunk it is.
    png_set_crc_action(png_, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    return start(limits, why);
}

bool PngDecoder::start(const PictureLimits &limits, Refusal *why)
{
    if (setjmp(png_jmpbuf(png_))) {
        *why = refusal_;
        return false;
    }
    png_read_info(png_, info_);
    width_ = png_get_image_width(png_, info_);
    height_ = png_get_image_height(png_, info_);
    if (!admit(limits, width_, height_, why))
        return false;
    // Every kind of pixel becomes 8-bit B, G, R, A: a QRgb in memory.
    png_set_expand(png_);   // palette to colours, grey under 8 bits to 8, the transparent colour to alpha
    png_set_scale_16(png_); // 16 bits a sample, rounded to 8
    png_set_gray_to_rgb(png_);
    png_set_bgr(png_);
    png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
    transparent_ =
        (png_get_color_type(png_, info_) & PNG_COLOR_MASK_ALPHA) || png_get_valid(png_, info_, PNG_INFO_tRNS);
    interlaced_ = png_set_interlace_handling(png_) > 1;
    // An interlaced picture is held whole, 4 bytes a pixel and a pointer a row, until its seven passes are read.
    if (interlaced_ && !limits.sizes.reserve(width_ * height_ * 4 + height_ * std::int64_t(sizeof(png_bytep)),
                                             Subject::Thing::InterlacedPng, &held_, why))
        return false;
    png_read_update_info(png_, info_);
    return true;
}

bool PngDecoder::readAll()
{
    image_.resize(std::size_t(width_) * std::size_t(height_) * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height_));
    for (std::int64_t y = 0; y < height_; ++y)
        rows[std::size_t(y)] = image_.data() + std::size_t(y) * std::size_t(width_) * 4;
    if (setjmp(png_jmpbuf(png_)))
        return false;
    png_read_image(png_, rows.data());
    return true;
}

bool PngDecoder::decodeRow(int y, QRgb *row)
{
    if (interlaced_) {
        if (image_.empty() && !readAll())
            return fail(refusal_);
        std::memcpy(row, image_.data() + std::size_t(y) * std::size_t(width_) * 4, std::size_t(width_) * 4);
    } else {
        if (setjmp(png_jmpbuf(png_)))
            return fail(refusal_);
        png_read_row(png_, reinterpret_cast<png_bytep>(row), nullptr);
    }
    return true;
}

// Once the rows are whole, the file's chunks from the first to the end chunk, each with its check sum: a file
// without its end chunk, or with any chunk damaged, is as damaged as one cut in its pixels. The chunks are walked,
// not read: pixel data that runs on past the last row (a compressed stream may declare any length) is not
// inflated, so the work is bounded by the bytes the file holds.
bool PngDecoder::finish()
{
    ByteReader in(*source_, 8);
    std::vector<char> data(1 << 16);
    for (;;) {
        unsigned char head[8];
        const std::int64_t got = in.read(reinterpret_cast<char *>(head), 8);
        if (got < 0)
            return fail(source_->refusal());
        if (got < 8)
            return fail(cutShort());
        const std::uint32_t length = png_get_uint_32(head);
        if (length > 0x7FFFFFFFu)
            return fail(Refusal(Refusal::Rule::ChunkLength).in("PNG"));
        if (!std::all_of(head + 4, head + 8, [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }))
            return fail(Refusal(Refusal::Rule::ChunkType).in("PNG"));
        std::uint32_t crc = std::uint32_t(crc32(0, head + 4, 4));
        for (std::uint32_t left = length; left > 0;) {
            const std::int64_t n = in.read(data.data(), std::min<std::int64_t>(left, std::int64_t(data.size())));
            if (n < 0)
                return fail(source_->refusal());
            if (n == 0)
                return fail(cutShort());
            crc = std::uint32_t(crc32(crc, reinterpret_cast<const Bytef *>(data.data()), uInt(n)));
            left -= std::uint32_t(n);
        }
        unsigned char stored[4];
        if (in.read(reinterpret_cast<char *>(stored), 4) != 4)
            return fail(cutShort());
        if (png_get_uint_32(stored) != crc)
            return fail(Refusal(Refusal::Rule::ChunkCrc)
                            .saying(QString::fromLatin1(reinterpret_cast<const char *>(head + 4), 4))
                            .in("PNG"));
        if (std::memcmp(head + 4, "IEND", 4) == 0)
            return true;
    }
}

} // namespace

std::unique_ptr<PictureDecoder> openPng(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    return openWith<PngDecoder>(std::move(source), limits, why);
}
