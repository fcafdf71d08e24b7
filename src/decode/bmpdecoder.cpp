// BMP, row by row: 1, 4, 8, 16, 24 and 32 bits a pixel, RLE4 and RLE8, bit fields, rows stored bottom-up or
// top-down, OS/2 (core) and Windows headers up to version 5 (those of 52 and 56 bytes too); no library reads BMP
// a row at a time.
//
// What a pixel is follows the format's definition: a channel given by a bit mask of any width is widened to
// 0..255 by the exact ratio; a colour table holds as many entries as its header says, or as fit before the
// pixels; the pixels start at the file header's offset. Where the definition is silent, these choices hold:
// - an index past the colour table is black, except that a 1-bit picture with a one-colour table shows 1 as
//   white;
// - an RLE run that would pass the end of its row stops there, and a pixel the stream skips (by a jump, or by
//   ending early) has index 0;
// - an offset to the pixels that lies inside the headers is taken to mean "right after them";
// - a file whose pixels end before the last row is refused.

#include "decode/bmprle.h"
#include "decode/decoder.h"

#include <QtAlgorithms>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <vector>

namespace {

constexpr std::int64_t fileHeaderSize = 14;
enum Compression { Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3 };

std::uint32_t le32(const unsigned char *p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

std::uint16_t le16(const unsigned char *p)
{
    return std::uint16_t(p[0] | p[1] << 8);
}

// A channel given by a bit mask of 1 to 32 bits: the masked bits shifted down to the mask's lowest bit, v, and
// widened to 0..255 as v * 255 / max rounded to nearest, max being the mask's largest value (5 bits: 31 gives
// 255, 16 gives 132). A mask of 0 gives 0.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t max = 0;

    static Channel of(std::uint32_t mask)
    {
        const int shift = mask ? int(qCountTrailingZeroBits(mask)) : 0;
        return {mask, shift, mask >> shift};
    }

    int operator()(std::uint32_t value) const
    {
        const std::uint64_t v = (value & mask) >> shift;
        if (max == 255)
            return int(v);
        return max ? int((v * 255 + max / 2) / max) : 0;
    }
};

class BmpDecoder : public PictureDecoder {
public:
    bool mayBeTransparent() const override { return alpha_; }
    bool open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why);

protected:
    bool decodeRow(int y, QRgb *row) override;

private:
    bool readHeader(const PictureLimits &limits, Refusal *why);
    // The colour table or the channels' masks, and where the pixels start, after a header of `infoSize` bytes.
    bool readColours(std::int64_t offBits, std::int64_t infoSize, std::uint32_t colourCount, std::uint32_t masks[4],
                     Refusal *why);
    bool readPalette(std::int64_t position, int entries, int entrySize, Refusal *why);
    // The stream row that holds picture row y.
    std::int64_t streamRow(std::int64_t y) const { return bottomUp_ ? height_ - 1 - y : y; }

    std::unique_ptr<ByteSource> source_;
    int bits_ = 0;
    int compression_ = Rgb;
    bool bottomUp_ = true;
    bool alpha_ = false;
    std::int64_t dataStart_ = 0;
    std::int64_t rowBytes_ = 0;
    std::array<QRgb, 256> colours_{};
    Channel red_, green_, blue_, alphaChannel_;
    std::vector<unsigned char> stored_; // one stored row

    std::optional<RleStream> rle_; // RLE4 and RLE8
};

bool BmpDecoder::open(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    source_ = std::move(source);
    if (!readHeader(limits, why))
        return false;
    if (compression_ == Rle4 || compression_ == Rle8)
        return rle_.emplace(*source_, dataStart_, width_, height_, compression_ == Rle4).index(why);
    rowBytes_ = (width_ * bits_ + 31) / 32 * 4;
    if (rowBytes_ > (source_->size() - dataStart_) / height_) {
        // In 64 bits: the sides are within the limits, and the offset within 32 bits.
        *why = Refusal::of(Refusal::Rule::CutShort, {}, dataStart_ + rowBytes_ * height_, source_->size()).in("BMP");
        return false;
    }
    stored_.resize(std::size_t(rowBytes_));
    return true;
}

namespace {

// What a BMP's info header says, of any of its sizes.
struct InfoHeader {
    std::int64_t width = 0;
    std::int64_t height = 0; // negative: stored top-down
    int planes = 0;
    int bits = 0;
    int compression = Rgb;
    std::uint32_t colourCount = 0;
    std::uint32_t masks[4] = {};
};

// The info header of `infoSize` bytes at `info`, `got` of the file's first bytes read; false when it is cut short.
bool readInfo(const unsigned char *info, std::int32_t infoSize, std::int64_t got, InfoHeader *out)
{
    // Windows' headers: 40 bytes, 52 and 56 with the channels' masks in them, 108 and 124; and OS/2's of 64.
    const bool windowsHeader =
        infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 || infoSize == 108 || infoSize == 124;
    if (!windowsHeader) { // the OS/2 core header, and any size no other header has
        if (got < fileHeaderSize + 12)
            return false;
        out->width = std::int16_t(le16(info + 4));
        out->height = std::int16_t(le16(info + 6));
        out->planes = le16(info + 8);
        out->bits = le16(info + 10);
        out->compression = Rgb;
        return true;
    }
    if (got < fileHeaderSize + infoSize)
        return false;
    out->width = std::int32_t(le32(info + 4));
    out->height = std::int32_t(le32(info + 8));
    out->planes = le16(info + 12);
    out->bits = le16(info + 14);
    out->compression = int(std::min<std::uint32_t>(le32(info + 16), INT_MAX));
    out->colourCount = le32(info + 32);
    const bool masksInHeader = infoSize != 40 && infoSize != 64;
    for (int i = 0; masksInHeader && i < (infoSize == 52 ? 3 : 4); ++i)
        out->masks[i] = le32(info + 40 + 4 * i);
    return true;
}

// Whether a reader here reads pixels of `bits` compressed so.
bool readable(int bits, int compression)
{
    return (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
           (compression == Rgb || (bits == 4 && compression == Rle4) || (bits == 8 && compression == Rle8) ||
            ((bits == 16 || bits == 32) && compression == BitFields));
}

} // namespace

bool BmpDecoder::readHeader(const PictureLimits &limits, Refusal *why)
{
    const auto refuse = [&](const Refusal &refusal) {
        *why = refusal.in("BMP");
        return false;
    };
    unsigned char h[fileHeaderSize + 124] = {};
    const std::int64_t got = source_->readAt(0, reinterpret_cast<char *>(h), sizeof h);
    if (got < 0)
        return refuse(source_->refusal());
    const Refusal incomplete(Refusal::Rule::HeaderIncomplete);
    if (got < fileHeaderSize + 4)
        return refuse(incomplete);
    const std::int64_t offBits = le32(h + 10); // unsigned: 0xFFFFFFFF lies past the end, not before the start
    const std::int32_t infoSize = std::int32_t(le32(h + 14));
    InfoHeader info;
    if (!readInfo(h + fileHeaderSize, infoSize, got, &info))
        return refuse(incomplete);
    bits_ = info.bits;
    compression_ = info.compression;
    if (info.planes != 1)
        return refuse(Refusal::of(Refusal::Rule::Planes, {}, info.planes, 1));
    if (!readable(bits_, compression_))
        return refuse(Refusal::of(Refusal::Rule::PixelKind, {}, bits_, compression_));
    const std::int64_t height = info.height < 0 ? -info.height : info.height;
    if (!admit(limits, info.width, height, why))
        return false;
    if (infoSize < 12)
        return refuse(Refusal::Rule::HeaderDamaged);
    width_ = info.width;
    height_ = height;
    bottomUp_ = info.height > 0;

    return readColours(offBits, infoSize, info.colourCount, info.masks, why);
}

bool BmpDecoder::readColours(std::int64_t offBits, std::int64_t infoSize, std::uint32_t colourCount,
                             std::uint32_t masks[4], Refusal *why)
{
    const auto refuse = [&](const Refusal &refusal) {
        *why = refusal.in("BMP");
        return false;
    };
    const Refusal incomplete(Refusal::Rule::HeaderIncomplete);
    std::int64_t position = fileHeaderSize + infoSize;
    const bool bitFields = compression_ == BitFields;
    if (bitFields && (infoSize == 40 || infoSize == 64)) { // the masks follow the header
        unsigned char m[12];
        if (source_->readAt(position, reinterpret_cast<char *>(m), 12) != 12)
            return refuse(incomplete);
        for (int i = 0; i < 3; ++i)
            masks[i] = le32(m + 4 * i);
        position += 12;
    }
    alpha_ = (bitFields || (compression_ == Rgb && bits_ == 32 && masks[3] == 0xFF000000u)) && masks[3];
    // The pixels start where the file header says, unless that lies inside the headers.
    const bool offsetGiven = offBits > position;
    if (bits_ <= 8) {
        const int entrySize = infoSize == 12 ? 3 : 4;
        std::int64_t entries = colourCount ? colourCount : std::int64_t(1) << bits_;
        if (entries > 256)
            return refuse(Refusal(Refusal::Rule::Damaged, Subject::Thing::ColourTable));
        // A table never reaches into the pixels: an OS/2 file's table, whose size no header field gives, is as
        // long as the room before them.
        if (offsetGiven)
            entries = std::min<std::int64_t>(entries, (offBits - position) / entrySize);
        if (!readPalette(position, int(entries), entrySize, why))
            return false;
        position += entries * entrySize;
    } else if (bitFields) {
        red_ = Channel::of(masks[0]);
        green_ = Channel::of(masks[1]);
        blue_ = Channel::of(masks[2]);
        alphaChannel_ = Channel::of(masks[3]);
    } else if (bits_ == 16) { // 5 bits a channel
        red_ = Channel::of(0x7C00);
        green_ = Channel::of(0x03E0);
        blue_ = Channel::of(0x001F);
    } else {
        red_ = Channel::of(0xFF0000);
        green_ = Channel::of(0x00FF00);
        blue_ = Channel::of(0x0000FF);
        alphaChannel_ = Channel::of(masks[3]);
    }
    dataStart_ = offsetGiven ? offBits : position;
    return true;
}

bool BmpDecoder::readPalette(std::int64_t position, int entries, int entrySize, Refusal *why)
{
    std::vector<unsigned char> table(std::size_t(entries) * entrySize);
    const std::int64_t got =
        source_->readAt(position, reinterpret_cast<char *>(table.data()), std::int64_t(table.size()));
    if (got != std::int64_t(table.size()) || position + got >= source_->size()) {
        *why = got < 0 ? source_->refusal() : Refusal(Refusal::Rule::CutShort, Subject::Thing::ColourTable).in("BMP");
        return false;
    }
    // Indices past the table read as black; a two-colour picture with a one-colour table has white for 1.
    colours_.fill(qRgb(0, 0, 0));
    if (bits_ == 1 && entries == 1)
        colours_[1] = qRgb(255, 255, 255);
    for (int i = 0; i < entries; ++i) {
        const unsigned char *e = table.data() + std::size_t(i) * entrySize;
        colours_[std::size_t(i)] = qRgb(e[2], e[1], e[0]);
    }
    return true;
}

bool BmpDecoder::decodeRow(int y, QRgb *row)
{
    const std::int64_t width = width_;
    if (compression_ == Rle4 || compression_ == Rle8) {
        Refusal why;
        const std::uint8_t *indices = rle_->row(streamRow(y), &why);
        if (!indices)
            return fail(why);
        for (std::int64_t x = 0; x < width; ++x)
            row[x] = colours_[indices[x]];
        return true;
    }

    const std::int64_t got =
        source_->readAt(dataStart_ + streamRow(y) * rowBytes_, reinterpret_cast<char *>(stored_.data()), rowBytes_);
    if (got != rowBytes_)
        return fail(got < 0 ? source_->refusal() : Refusal(Refusal::Rule::CutShort).in("BMP"));
    const unsigned char *p = stored_.data();
    if (bits_ == 24 && !alpha_ && compression_ == Rgb) { // the common case, without the general channel arithmetic
        for (std::int64_t x = 0; x < width; ++x, p += 3)
            row[x] = qRgb(p[2], p[1], p[0]);
        return true;
    }
    switch (bits_) {
    case 1:
        for (std::int64_t x = 0; x < width; ++x)
            row[x] = colours_[(p[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (std::int64_t x = 0; x < width; ++x)
            row[x] = colours_[(p[x >> 1] >> (x & 1 ? 0 : 4)) & 0x0F];
        break;
    case 8:
        for (std::int64_t x = 0; x < width; ++x)
            row[x] = colours_[p[x]];
        break;
    default: {
        const int bytes = bits_ / 8;
        for (std::int64_t x = 0; x < width; ++x, p += bytes) {
            std::uint32_t c = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
            if (bytes > 2)
                c |= std::uint32_t(p[2]) << 16;
            if (bytes > 3)
                c |= std::uint32_t(p[3]) << 24;
            row[x] = qRgba(red_(c), green_(c), blue_(c), alpha_ ? alphaChannel_(c) : 255);
        }
    }
    }
    return true;
}

} // namespace

std::unique_ptr<PictureDecoder> openBmp(std::unique_ptr<ByteSource> source, const PictureLimits &limits, Refusal *why)
{
    return openWith<BmpDecoder>(std::move(source), limits, why);
}
