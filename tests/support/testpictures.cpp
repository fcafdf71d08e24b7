#include "testpictures.h"

#include "core/version.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <map>
#include <stdexcept>
#include <vector>

namespace TestPictures {

namespace {

void putU16(QByteArray &out, quint16 v)
{
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}

void putU32(QByteArray &out, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

// The picture's colours in order of first appearance, and each pixel's index into them.
struct Indexed {
    std::vector<QRgb> palette;
    std::vector<int> indices;
};

// The same for several pictures: their indices one picture after the other.
Indexed indexColours(const QList<QImage> &images, std::size_t maxColours)
{
    Indexed out;
    std::map<QRgb, int> seen;
    for (const QImage &image : images) {
        const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            for (int x = 0; x < rgb.width(); ++x) {
                const QRgb p = rgb.pixel(x, y);
                auto it = seen.find(p);
                if (it == seen.end()) {
                    if (out.palette.size() == maxColours)
                        throw std::runtime_error("too many colours for the palette");
                    it = seen.emplace(p, int(out.palette.size())).first;
                    out.palette.push_back(p);
                }
                out.indices.push_back(it->second);
            }
        }
    }
    return out;
}

Indexed indexColours(const QImage &image, std::size_t maxColours)
{
    return indexColours(QList<QImage>{image}, maxColours);
}

QByteArray bmpRow(const QImage &rgb, const Indexed &indexed, int y, int bitsPerPixel)
{
    QByteArray row;
    const int width = rgb.width();
    if (bitsPerPixel <= 8) {
        int acc = 0, bits = 0;
        for (int x = 0; x < width; ++x) {
            acc = (acc << bitsPerPixel) | indexed.indices[std::size_t(y) * width + x];
            bits += bitsPerPixel;
            if (bits == 8) {
                row.append(char(acc));
                acc = bits = 0;
            }
        }
        if (bits)
            row.append(char(acc << (8 - bits)));
    } else {
        for (int x = 0; x < width; ++x) {
            const QRgb p = rgb.pixel(x, y);
            row.append(char(qBlue(p)));
            row.append(char(qGreen(p)));
            row.append(char(qRed(p)));
            if (bitsPerPixel == 32)
                row.append(char(qAlpha(p)));
        }
    }
    return row;
}

// Run-length encodes one row of 8-bit indices, ending it with the end-of-line escape.
QByteArray rle8Row(const QByteArray &indices)
{
    QByteArray out;
    int x = 0;
    while (x < indices.size()) {
        int run = 1;
        while (x + run < indices.size() && run < 255 && indices[x + run] == indices[x])
            ++run;
        out.append(char(run));
        out.append(indices[x]);
        x += run;
    }
    out.append('\0');
    out.append('\0');
    return out;
}

} // namespace

QImage fromRows(const QStringList &rows)
{
    const int width = rows.isEmpty() ? 0 : int(rows.first().size());
    QImage image(width, int(rows.size()), QImage::Format_RGB32);
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < width; ++x) {
            QRgb colour = qRgb(255, 255, 255);
            switch (rows[y][x].unicode()) {
            case '#':
                colour = qRgb(0, 0, 0);
                break;
            case 'r':
                colour = qRgb(255, 0, 0);
                break;
            case 'g':
                colour = qRgb(0, 255, 0);
                break;
            case 'b':
                colour = qRgb(0, 0, 255);
                break;
            default:
                break;
            }
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

QImage solid(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage workedExample()
{
    return fromRows({QStringLiteral("#......#"
                                    "########"),
                     QStringLiteral("............#.#.")});
}

QString workedExampleHeader(bool c51, const QString &picfile)
{
    const QString open = c51 ? QStringLiteral("/*----  ") : QStringLiteral(";----  ");
    const QString close = c51 ? QStringLiteral("  ----*/\r\n") : QStringLiteral("  ----\r\n");
    return open + QStringLiteral("图片文件来自：【") + picfile + QStringLiteral("】") + close + open +
           QStringLiteral("图片宽度：16     图片高度：2") + close + open +
           QStringLiteral("本数据文件建立日期：2002-11-15;  建立时间：14:05:09") + close + open +
           QStringLiteral("本数据文件由Tessaline【图片数据生成器】V" TESSALINE_VERSION "自动生成！") + close;
}

QString workedExampleText(bool c51, const QString &picfile)
{
    return workedExampleHeader(c51, picfile) + (c51 ? QStringLiteral("0x81, 0xFF, \r\n0x00, 0x0A, \r\n")
                                                    : QStringLiteral("DB   081H, 0FFH\r\nDB   000H, 00AH\r\n"));
}

QByteArray encodeBmp(const QImage &image, int bitsPerPixel, RowOrder order, BmpCompression compression)
{
    const QImage rgb = image.convertToFormat(bitsPerPixel == 32 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    Indexed indexed;
    if (bitsPerPixel <= 8)
        indexed = indexColours(rgb, std::size_t(1) << bitsPerPixel);
    const bool rle = compression == BmpCompression::Rle8;
    if (rle && bitsPerPixel != 8)
        throw std::invalid_argument("RLE8 needs 8 bits a pixel");

    QByteArray pixels;
    for (int i = 0; i < rgb.height(); ++i) {
        const int y = order == RowOrder::BottomUp ? rgb.height() - 1 - i : i;
        QByteArray row = bmpRow(rgb, indexed, y, bitsPerPixel);
        if (rle) {
            pixels += rle8Row(row);
        } else {
            while (row.size() % 4)
                row.append('\0');
            pixels += row;
        }
    }
    if (rle) {
        pixels.append('\0');
        pixels.append('\1');
    }

    const int paletteEntries = bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
    const quint32 offset = 14 + 40 + 4 * paletteEntries;
    QByteArray out("BM");
    putU32(out, offset + quint32(pixels.size()));
    putU32(out, 0);
    putU32(out, offset);
    putU32(out, 40);
    putU32(out, quint32(rgb.width()));
    putU32(out, quint32(order == RowOrder::BottomUp ? rgb.height() : -rgb.height()));
    putU16(out, 1);
    putU16(out, quint16(bitsPerPixel));
    putU32(out, rle ? 1 : 0);
    putU32(out, quint32(pixels.size()));
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, quint32(paletteEntries));
    putU32(out, 0);
    for (int i = 0; i < paletteEntries; ++i) {
        const QRgb p = i < int(indexed.palette.size()) ? indexed.palette[std::size_t(i)] : 0;
        out.append(char(qBlue(p)));
        out.append(char(qGreen(p)));
        out.append(char(qRed(p)));
        out.append('\0');
    }
    return out + pixels;
}

QByteArray largeMonochromeBmp(int width, int height)
{
    const int rowBytes = (width / 8 + 3) / 4 * 4;
    QByteArray pixels(qsizetype(rowBytes) * height, '\0');
    for (int i = 0; i < height; ++i) {
        const int y = height - 1 - i; // bottom-up
        char *row = pixels.data() + qsizetype(i) * rowBytes;
        for (int c = 0; c < width / 8; ++c)
            row[c] = char((c + y) & 0xFF);
    }
    const quint32 offset = 14 + 40 + 8;
    QByteArray out("BM");
    putU32(out, offset + quint32(pixels.size()));
    putU32(out, 0);
    putU32(out, offset);
    putU32(out, 40);
    putU32(out, quint32(width));
    putU32(out, quint32(height));
    putU16(out, 1);
    putU16(out, 1);
    putU32(out, 0);
    putU32(out, quint32(pixels.size()));
    putU32(out, 2835);
    putU32(out, 2835);
    putU32(out, 2);
    putU32(out, 0);
    out.append("\0\0\0\0\xFF\xFF\xFF\0", 8);
    return out + pixels;
}

QByteArray encodeGif(const QList<QImage> &frames, std::optional<QRgb> transparent, QSize screen, bool interlaced)
{
    QList<GifFrame> gifFrames;
    for (const QImage &image : frames)
        gifFrames.append({image, {}, 0, 0, transparent});
    if (!screen.isValid() && !frames.isEmpty())
        screen = frames.first().size();
    return encodeGif(gifFrames, screen.isValid() ? screen : QSize(1, 1), interlaced);
}

QByteArray encodeGif(const QList<GifFrame> &frames, QSize screen, bool interlaced)
{
    QList<QImage> images;
    for (const GifFrame &frame : frames)
        images.append(frame.image);
    const Indexed table = indexColours(images, 256);

    QByteArray out("GIF89a");
    putU16(out, quint16(screen.width()));
    putU16(out, quint16(screen.height()));
    out.append(char(0xF7)); // global table of 256 colours
    out.append('\0');
    out.append('\0');
    for (int i = 0; i < 256; ++i) {
        const QRgb p = i < int(table.palette.size()) ? table.palette[std::size_t(i)] : 0;
        out.append(char(qRed(p)));
        out.append(char(qGreen(p)));
        out.append(char(qBlue(p)));
    }
    std::size_t first = 0; // the frame's first index in the table
    for (const GifFrame &frame : frames) {
        const int width = frame.image.width();
        const int height = frame.image.height();
        int transparentIndex = -1;
        for (std::size_t i = 0; frame.transparent && i < table.palette.size(); ++i)
            if (table.palette[i] == QRgb(*frame.transparent))
                transparentIndex = int(i);
        if (transparentIndex >= 0 || frame.disposal || frame.delay) { // a graphic control extension
            out.append("\x21\xF9\x04", 3);
            out.append(char(frame.disposal << 2 | (transparentIndex >= 0)));
            putU16(out, quint16(frame.delay));
            out.append(char(std::max(transparentIndex, 0)));
            out.append('\0');
        }
        out.append(',');
        putU16(out, quint16(frame.at.x()));
        putU16(out, quint16(frame.at.y()));
        putU16(out, quint16(width));
        putU16(out, quint16(height));
        out.append(interlaced ? char(0x40) : '\0');
        out.append(char(8)); // LZW minimum code size
        // The rows in the order they are stored: every 8th from 0, every 8th from 4, every 4th from 2, every
        // 2nd from 1 when interlaced.
        std::vector<int> rows;
        for (const auto &[start, step] : interlaced ? std::vector<std::pair<int, int>>{{0, 8}, {4, 8}, {2, 4}, {1, 2}}
                                                    : std::vector<std::pair<int, int>>{{0, 1}})
            for (int y = start; y < height; y += step)
                rows.push_back(y);

        // Literal codes only, 9 bits each, with a clear code often enough that the code size never grows.
        QByteArray data;
        quint32 acc = 0;
        int bits = 0;
        const auto putCode = [&](int code) {
            acc |= quint32(code) << bits;
            bits += 9;
            while (bits >= 8) {
                data.append(char(acc & 0xFF));
                acc >>= 8;
                bits -= 8;
            }
        };
        putCode(256);
        std::size_t written = 0;
        for (int y : rows)
            for (int x = 0; x < width; ++x, ++written) {
                if (written && written % 250 == 0)
                    putCode(256);
                putCode(table.indices[first + std::size_t(y) * width + x]);
            }
        putCode(257);
        if (bits)
            data.append(char(acc & 0xFF));
        for (qsizetype pos = 0; pos < data.size(); pos += 255) {
            const QByteArray block = data.mid(pos, 255);
            out.append(char(block.size()));
            out += block;
        }
        out.append('\0');
        first += std::size_t(width) * std::size_t(height);
    }
    out.append(';');
    return out;
}

QByteArray encodeJpeg(const QImage &image, int quality)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.write(image);
    return out;
}

QByteArray encodeJpeg(const QImage &image, JpegCoding coding)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &memory, &size);
    QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    const bool cmyk = coding == JpegCoding::AdobeCmyk;
    if (cmyk)
        rgb = image.convertToFormat(QImage::Format_RGBX8888); // C, M, Y and a K put in each pixel's fourth byte
    info.image_width = JDIMENSION(rgb.width());
    info.image_height = JDIMENSION(rgb.height());
    info.input_components = cmyk ? 4 : 3;
    info.in_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    static jpeg_scan_info oneEach[3] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
    if (coding == JpegCoding::Progressive)
        jpeg_simple_progression(&info);
    else if (coding == JpegCoding::Arithmetic)
        info.arith_code = TRUE;
    else if (coding == JpegCoding::MultiScan) {
        info.scan_info = oneEach;
        info.num_scans = 3;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = rgb.scanLine(int(info.next_scanline));
        for (int x = 0; cmyk && x < rgb.width(); ++x)
            row[4 * x + 3] = 200;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray out(reinterpret_cast<const char *>(memory), qsizetype(size));
    std::free(memory);
    return out;
}

QByteArray rawBmp(int infoSize, int width, int height, int bits, int compression, const QByteArray &afterInfo,
                  const QByteArray &pixels, int colours, std::uint32_t alphaMask)
{
    QByteArray info(infoSize, '\0');
    const auto put = [&](int at, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            info[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, quint32(infoSize), 4);
    if (infoSize == 12) {
        put(4, quint32(width), 2);
        put(6, quint32(height), 2);
        put(8, 1, 2);
        put(10, quint32(bits), 2);
    } else {
        put(4, quint32(width), 4);
        put(8, quint32(height), 4);
        put(12, 1, 2);
        put(14, quint32(bits), 2);
        put(16, quint32(compression), 4);
        put(32, quint32(colours), 4);
        if (infoSize >= 52) { // the masks in the header
            put(40, 0x00FF0000, 4);
            put(44, 0x0000FF00, 4);
            put(48, 0x000000FF, 4);
        }
        if (infoSize >= 56)
            put(52, alphaMask, 4);
    }
    QByteArray file("BM");
    const quint32 offset = quint32(14 + infoSize + afterInfo.size());
    for (quint32 v : {offset + quint32(pixels.size()), 0u, offset})
        for (int i = 0; i < 4; ++i)
            file.append(char((v >> (8 * i)) & 0xFF));
    return file + info + afterInfo + pixels;
}

// `count` bytes that look random and are the same every run.
QByteArray noise(int count, quint32 seed)
{
    QByteArray bytes(count, '\0');
    for (char &b : bytes) {
        seed = seed * 1664525u + 1013904223u;
        b = char(seed >> 24);
    }
    return bytes;
}

QByteArray encodePng(const QImage &image, int colourType, int bitDepth, bool interlaced)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    Indexed indexed;
    if (colourType == PNG_COLOR_TYPE_PALETTE)
        indexed = indexColours(argb, std::size_t(1) << bitDepth);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    QByteArray out;
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            static_cast<QByteArray *>(png_get_io_ptr(p))->append(reinterpret_cast<const char *>(data), qsizetype(n));
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(argb.width()), png_uint_32(argb.height()), bitDepth, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    std::vector<png_byte> alphas;
    for (QRgb p : indexed.palette) {
        palette.push_back({png_byte(qRed(p)), png_byte(qGreen(p)), png_byte(qBlue(p))});
        alphas.push_back(png_byte(qAlpha(p)));
    }
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        png_set_tRNS(png, info, alphas.data(), int(alphas.size()), nullptr);
    }
    png_write_info(png, info);

    // Each row's samples, packed at bitDepth bits, big-endian as PNG stores them.
    const int channels = colourType == 0 || colourType == 3 ? 1 : colourType == 4 ? 2 : colourType == 2 ? 3 : 4;
    std::vector<std::vector<png_byte>> rows(std::size_t(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        std::vector<png_byte> &row = rows[std::size_t(y)];
        row.assign(std::size_t((argb.width() * channels * bitDepth + 7) / 8), 0);
        std::size_t bit = 0;
        const auto put = [&](unsigned sample8, unsigned index) {
            const unsigned v = colourType == 3 ? index : bitDepth == 16 ? sample8 * 257 : sample8 >> (8 - bitDepth);
            for (int b = bitDepth - 1; b >= 0; --b, ++bit)
                if (v >> b & 1)
                    row[bit / 8] |= png_byte(0x80 >> (bit % 8));
        };
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            const unsigned index = colourType == 3 ? unsigned(indexed.indices[std::size_t(y) * argb.width() + x]) : 0;
            if (colourType == 3) {
                put(0, index);
            } else if (colourType == 0 || colourType == 4) {
                put(unsigned(qGreen(p)), 0);
            } else {
                put(unsigned(qRed(p)), 0);
                put(unsigned(qGreen(p)), 0);
                put(unsigned(qBlue(p)), 0);
            }
            if (colourType == 4 || colourType == 6)
                put(unsigned(qAlpha(p)), 0);
        }
    }
    std::vector<png_bytep> pointers;
    for (std::vector<png_byte> &row : rows)
        pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

QByteArray tinyBdf()
{
    return "STARTFONT 2.1\nFONT -test-tiny-medium-r-normal--16-160-75-75-c-80-iso10646-1\nSIZE 16 75 75\n"
           "FONTBOUNDINGBOX 16 16 0 -2\nSTARTPROPERTIES 3\nFONT_ASCENT 14\nFONT_DESCENT 2\nPIXEL_SIZE 16\n"
           "ENDPROPERTIES\nCHARS 2\n"
           "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 5 0\nBBX 4 3 1 0\nBITMAP\nF0\n90\nF0\nENDCHAR\n"
           "STARTCHAR ni\nENCODING 20320\nSWIDTH 1000 0\nDWIDTH 16 0\nBBX 16 2 0 12\nBITMAP\n8001\nFFFF\nENDCHAR\n"
           "ENDFONT\n";
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

QString writeIn(const QString &dir, const QString &name, const QByteArray &data)
{
    const QString path = QDir(dir).filePath(name);
    if (!writeFile(path, data))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace TestPictures
