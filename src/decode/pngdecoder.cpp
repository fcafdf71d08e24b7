// PNG through libpng's progressive reader, fed a small piece of the file at a time until the row asked for is
// out: 1 to 16 bits, palette, grey, alpha, interlaced (held whole until its seven passes are read). Fed, libpng
// inflates no more than the pieces hold, and stops at the first byte the stream holds past the last row, however
// much it declares. Once the rows are whole the file's chunks are checked to its end chunk: a file cut short,
// without its end chunk, or with any chunk whose CRC is wrong, is refused.

#include "decode/decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <deque>
#include <vector>

#include <png.h>
#include <zlib.h>

namespace {

// How much of the file libpng is given at a time: the rows one piece inflates to are held until they are read, so
// a piece is small (a byte may inflate to 1032), between the least and the most, grown while a piece gives no row
// and shrunk while it gives several, so that a piece is about a row.
constexpr int leastPiece = 64, mostPiece = 512;

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
    // Warnings are for what the picture survives, but for the pixel data that does not inflate, which the
    // progressive reader only warns of ("IDAT: ..."): the rows stop there, so the file is damaged.
    static void warning(png_structp png, png_const_charp message)
    {
        if (std::strncmp(message, "IDAT:", 5) == 0)
            error(png, message);
    }
    // The header is read: the sizes within the limits, the rows set up as QRgb, an interlaced picture's room.
    static void header(png_structp png, png_infop info);
    // A row is out (of an interlaced picture, a pass's row, which may hold no new pixels).
    static void rowOut(png_structp png, png_bytep row, png_uint_32 y, int pass);
    static void ended(png_structp png, png_infop)
    {
        static_cast<PngDecoder *>(png_get_progressive_ptr(png))->ended_ = true;
    }
    static Refusal cutShort() { return Refusal(Refusal::Rule::CutShort).in("PNG"); }
    // Gives libpng the next piece of the file; false, with the refusal in refusal_, when it stopped on an error or
    // the file ended before `done` holds.
    template <typename Done> bool feedUntil(Done done);
    bool finish() override;

    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<ByteReader> reader_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    const PictureLimits *limits_ = nullptr; // while the header is read
    Refusal refusal_;                       // why libpng stopped
    bool started_ = false;                  // the header read and the rows set up
    bool ended_ = false;                    // the end chunk read
    bool interlaced_ = false;
    bool whole_ = false; // an interlaced picture: its last pass's last row is in
    bool transparent_ = false;
    int pieceBytes_ = leastPiece;          // what the next piece of the file given to libpng holds
    std::size_t rowsOut_ = 0;              // rows out of libpng so far, of every pass
    png_bytep target_ = nullptr;           // where the row asked for goes, until it is out
    std::deque<std::vector<QRgb>> rows_;   // rows out after it, not yet read
    std::vector<std::vector<QRgb>> spare_; // rows read, kept for the next ones
    Reservation held_;                     // image_'s bytes
    std::vector<png_byte> image_;          // an interlaced picture, whole, in the rows' layout
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
    png_set_progressive_read_fn(png_, this, &PngDecoder::header, &PngDecoder::rowOut, &PngDecoder::ended);
    // The limits on the sides are ours, checked once the header is read; libpng's own stop below them.
    png_set_user_limits(png_, 0x7FFFFFFF, 0x7FFFFFFF);
    // Any chunk whose check sum is wrong: the file is damaged, whichever chunk it is.
    png_set_crc_action(png_, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    limits_ = &limits;
    const bool started = feedUntil([this] { return started_; });
    limits_ = nullptr;
    if (!started)
        *why = refusal_;
    return started;
}

void PngDecoder::header(png_structp png, png_infop info)
{
    auto *d = static_cast<PngDecoder *>(png_get_progressive_ptr(png));
    d->width_ = png_get_image_width(png, info);
    d->height_ = png_get_image_height(png, info);
    if (!d->admit(*d->limits_, d->width_, d->height_, &d->refusal_))
        png_longjmp(png, 1);
    // Every kind of pixel becomes 8-bit B, G, R, A: a QRgb in memory.
    png_set_expand(png);   // palette to colours, grey under 8 bits to 8, the transparent colour to alpha
    png_set_scale_16(png); // 16 bits a sample, rounded to 8
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    d->transparent_ = (png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
    d->interlaced_ = png_set_interlace_handling(png) > 1;
    // An interlaced picture is held whole, 4 bytes a pixel, until its seven passes are read.
    if (d->interlaced_) {
        if (!d->limits_->sizes.reserve(d->width_ * d->height_ * 4, Subject::Thing::InterlacedPng, &d->held_,
                                       &d->refusal_))
            png_longjmp(png, 1);
        d->image_.resize(std::size_t(d->width_) * std::size_t(d->height_) * 4);
    }
    png_read_update_info(png, info);
    d->started_ = true;
}

void PngDecoder::rowOut(png_structp png, png_bytep row, png_uint_32 y, int pass)
{
    auto *d = static_cast<PngDecoder *>(png_get_progressive_ptr(png));
    if (y >= png_uint_32(d->height_))
        return;
    const std::size_t bytes = std::size_t(d->width_) * 4;
    ++d->rowsOut_;
    if (d->interlaced_) {
        png_progressive_combine_row(png, d->image_.data() + std::size_t(y) * bytes, row);
        d->whole_ = pass == 6 && y + 1 == png_uint_32(d->height_);
    } else if (row && d->target_) { // the row asked for: straight into the caller's
        std::memcpy(d->target_, row, bytes);
        d->target_ = nullptr;
    } else if (row) { // a row after it, out of the same piece: kept until it is asked for
        if (d->spare_.empty())
            d->rows_.emplace_back(std::size_t(d->width_));
        else
            d->rows_.push_back(std::move(d->spare_.back())), d->spare_.pop_back();
        std::memcpy(d->rows_.back().data(), row, bytes);
    }
}

template <typename Done> bool PngDecoder::feedUntil(Done done)
{
    png_byte piece[mostPiece];
    if (!refusal_.isEmpty())
        return false;
    if (setjmp(png_jmpbuf(png_)))
        return false;
    while (!done()) {
        const std::int64_t n = reader_->read(reinterpret_cast<char *>(piece), pieceBytes_);
        if (n <= 0 || ended_) {
            refusal_ = n < 0 ? source_->refusal() : cutShort();
            return false;
        }
        const std::size_t before = rowsOut_;
        png_process_data(png_, info_, piece, std::size_t(n));
        const std::size_t rows = rowsOut_ - before;
        pieceBytes_ = rows == 0  ? std::min(pieceBytes_ * 2, mostPiece)
                      : rows > 1 ? std::max(pieceBytes_ / 2, leastPiece)
                                 : pieceBytes_;
    }
    return true;
}

bool PngDecoder::decodeRow(int y, QRgb *row)
{
    const std::size_t bytes = std::size_t(width_) * 4;
    if (interlaced_) {
        if (!feedUntil([this] { return whole_; }))
            return fail(refusal_);
        std::memcpy(row, image_.data() + std::size_t(y) * bytes, bytes);
        return true;
    }
    if (!rows_.empty()) {
        std::memcpy(row, rows_.front().data(), bytes);
        spare_.push_back(std::move(rows_.front()));
        rows_.pop_front();
        return true;
    }
    target_ = reinterpret_cast<png_bytep>(row);
    const bool out = feedUntil([this] { return target_ == nullptr; });
    target_ = nullptr;
    return out || fail(refusal_);
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
