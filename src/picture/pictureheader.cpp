#include "pictureheader.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Little- and big-endian readers that answer -1 past the end of the data.
struct Bytes {
    QByteArrayView data;

    std::int64_t size() const { return data.size(); }
    int at(std::int64_t i) const { return i >= 0 && i < data.size() ? quint8(data[i]) : -1; }
    std::int64_t le16(std::int64_t i) const
    {
        return i + 2 <= size() ? std::int64_t(at(i)) | std::int64_t(at(i + 1)) << 8 : -1;
    }
    std::int64_t le32(std::int64_t i) const { return i + 4 <= size() ? le16(i) | le16(i + 2) << 16 : -1; }
    std::int64_t be16(std::int64_t i) const
    {
        return i + 2 <= size() ? std::int64_t(at(i)) << 8 | std::int64_t(at(i + 1)) : -1;
    }
};

const QString cutShort = QStringLiteral("the file is cut short");

// Walks an RLE4 or RLE8 stream; true when it reaches its end marker, or ends every row, inside the data.
bool rleStreamIsWhole(const Bytes &b, std::int64_t pos, std::int64_t height, bool fourBit)
{
    std::int64_t rows = 0;
    while (pos + 2 <= b.size()) {
        const int count = b.at(pos);
        const int value = b.at(pos + 1);
        pos += 2;
        if (count > 0)
            continue;     // a run
        if (value == 0) { // end of line
            if (++rows >= height)
                return true;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // delta
            pos += 2;
        } else { // `value` literal pixels, padded to a 16-bit boundary
            const std::int64_t bytes = fourBit ? (value + 1) / 2 : value;
            pos += bytes + (bytes & 1);
        }
    }
    return false;
}

PictureHeader inspectBmp(const Bytes &b)
{
    PictureHeader header;
    header.format = QByteArrayLiteral("bmp");
    const std::int64_t infoSize = b.le32(14);
    if (infoSize < 0 || (infoSize != 12 && b.size() < 34)) {
        header.problem = QStringLiteral("the BMP header is incomplete");
        return header;
    }
    std::int64_t bitsPerPixel = 0, compression = 0;
    if (infoSize == 12) { // OS/2 core header, 16-bit sizes
        header.width = b.le16(18);
        header.height = b.le16(20);
        bitsPerPixel = b.le16(24);
    } else {
        header.width = std::int32_t(b.le32(18));
        header.height = std::int32_t(b.le32(22));
        bitsPerPixel = b.le16(28);
        compression = b.le32(30);
    }
    header.height = std::abs(header.height);
    const std::int64_t offset = b.le32(10);
    if (header.width <= 0 || header.height <= 0 || offset < 0)
        return header; // the size checks and the decoder speak for these
    if (header.width * header.height > (std::int64_t(1) << 40))
        return header; // far past any limit; the size check refuses it
    if (compression == 0 || compression == 3 || compression == 6) {
        const std::int64_t rowBytes = (header.width * bitsPerPixel + 31) / 32 * 4;
        const std::int64_t needed = offset + rowBytes * header.height;
        if (bitsPerPixel > 0 && bitsPerPixel <= 32 && needed > b.size())
            header.problem = QStringLiteral("the BMP file is cut short: its pixels need %1 bytes, it has %2")
                                 .arg(needed)
                                 .arg(b.size());
    } else if (compression == 1 || compression == 2) {
        if (!rleStreamIsWhole(b, offset, header.height, compression == 2))
            header.problem = QStringLiteral("the BMP file's compressed pixels are cut short");
    }
    return header;
}

// Skips a chain of GIF data sub-blocks; the position after its terminator, or -1 past the end.
std::int64_t skipSubBlocks(const Bytes &b, std::int64_t pos)
{
    while (true) {
        const int length = b.at(pos);
        if (length < 0)
            return -1;
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
}

PictureHeader inspectGif(const Bytes &b)
{
    PictureHeader header;
    header.format = QByteArrayLiteral("gif");
    if (b.size() < 13) {
        header.problem = QStringLiteral("the GIF header is incomplete");
        return header;
    }
    const std::int64_t screenWidth = b.le16(6);
    const std::int64_t screenHeight = b.le16(8);
    const int flags = b.at(10);
    std::int64_t pos = 13 + ((flags & 0x80) ? 3 * (std::int64_t(2) << (flags & 7)) : 0);
    while (true) {
        const int block = b.at(pos);
        if (block == 0x21) { // extension: label, then sub-blocks
            pos = skipSubBlocks(b, pos + 2);
        } else if (block == 0x2C) { // the first frame
            const std::int64_t frameWidth = b.le16(pos + 5);
            const std::int64_t frameHeight = b.le16(pos + 7);
            const int frameFlags = b.at(pos + 9);
            if (frameFlags < 0) {
                header.problem = cutShort;
                return header;
            }
            // The decoder works on the larger of the screen and the frame.
            header.width = std::max(screenWidth, frameWidth);
            header.height = std::max(screenHeight, frameHeight);
            pos += 10 + ((frameFlags & 0x80) ? 3 * (std::int64_t(2) << (frameFlags & 7)) : 0);
            if (skipSubBlocks(b, pos + 1) < 0)
                header.problem = cutShort;
            return header;
        } else if (block == 0x3B || block < 0) {
            header.problem = block < 0 ? cutShort : QStringLiteral("the GIF file holds no picture");
            return header;
        } else {
            header.problem = QStringLiteral("the GIF file is damaged (unknown block %1)").arg(block);
            return header;
        }
        if (pos < 0) {
            header.problem = cutShort;
            return header;
        }
    }
}

bool isStartOfFrame(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

PictureHeader inspectJpeg(const Bytes &b)
{
    PictureHeader header;
    header.format = QByteArrayLiteral("jpeg");
    std::int64_t pos = 2; // after the start-of-image marker
    while (true) {
        if (b.at(pos) != 0xFF) {
            header.problem = pos >= b.size() ? cutShort : QStringLiteral("the JPEG file is damaged");
            return header;
        }
        while (b.at(pos) == 0xFF)
            ++pos;
        const int marker = b.at(pos++);
        if (marker < 0) {
            header.problem = cutShort;
            return header;
        }
        if (marker == 0xD9) // end of image
            return header;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue; // markers without a segment
        const std::int64_t length = b.be16(pos);
        if (length < 2 || pos + length > b.size()) {
            header.problem = cutShort;
            return header;
        }
        if (isStartOfFrame(marker) && header.width < 0) {
            header.height = b.be16(pos + 3);
            header.width = b.be16(pos + 5);
        }
        pos += length;
        if (marker == 0xDA) { // a scan: entropy-coded data up to the next marker other than a restart
            while (true) {
                const int c = b.at(pos);
                if (c < 0) {
                    header.problem = cutShort;
                    return header;
                }
                if (c == 0xFF) {
                    const int next = b.at(pos + 1);
                    if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7))
                        break;
                    ++pos;
                }
                ++pos;
            }
        }
    }
}

} // namespace

PictureHeader inspectPicture(QByteArrayView data)
{
    const Bytes b{data};
    if (data.startsWith("BM"))
        return inspectBmp(b);
    if (data.startsWith("\xFF\xD8\xFF"))
        return inspectJpeg(b);
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return inspectGif(b);
    return {{}, -1, -1, QStringLiteral("not a BMP, JPEG or GIF picture")};
}
