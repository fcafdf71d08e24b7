// Writes the pictures bench/compare times: photo-like content (smooth waves and a little grain), so that a
// JPEG's data is as dense as a photograph's.
//   bench_pictures FOLDER

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>

#include <QFile>
#include <QtEndian>

#include <cmath>
#include <cstdio>

#include <zlib.h>

namespace {

QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    quint32 grain = 12345;
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const double v = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width;
            grain = grain * 1664525u + 1013904223u;
            const int noise = int(grain >> 28) - 8;
            const auto channel = [&](double phase) {
                const double wave = std::sin(9 * u + phase) * std::cos(7 * v - phase) + std::sin(31 * u * v + phase);
                return qBound(0, int(128 + 60 * wave) + noise, 255);
            };
            line[x] = qRgb(channel(0), channel(2.1), channel(4.2));
        }
    }
    return image;
}

bool save(const QImage &image, const QString &path, const char *format)
{
    QImageWriter writer(path, format);
    writer.setQuality(90);
    if (writer.write(image))
        return true;
    std::fprintf(stderr, "bench_pictures: %s: %s\n", qPrintable(path), qPrintable(writer.errorString()));
    return false;
}

// A 1-bit picture of diagonal stripes, as large as a turn is asked to hold.
QImage stripes(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int i = 0; i < image.bytesPerLine(); ++i)
            line[i] = uchar(0x0F0F >> (y % 8));
    }
    return image;
}

// An 8 x 2 black PNG whose compressed pixel data runs on for `tail` zero bytes past its rows, in one IDAT chunk:
// what a reader costs that inflates all a stream declares.
bool tailedPng(const QString &path, std::int64_t tail)
{
    QByteArray data;
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray zeros(1 << 20, '\0');
    unsigned char out[1 << 16];
    const auto pump = [&](const QByteArray &in, int flush) {
        z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
        z.avail_in = uInt(in.size());
        do {
            z.next_out = out;
            z.avail_out = sizeof out;
            deflate(&z, flush);
            data.append(reinterpret_cast<const char *>(out), int(sizeof out - z.avail_out));
        } while (z.avail_out == 0);
    };
    pump(QByteArray(18, '\0'), Z_NO_FLUSH); // two rows of a filter byte and 8 grey pixels of 0
    for (std::int64_t left = tail; left > 0; left -= zeros.size())
        pump(zeros, Z_NO_FLUSH);
    pump(QByteArray(), Z_FINISH);
    deflateEnd(&z);
    const auto chunk = [](const QByteArray &type, const QByteArray &body) {
        QByteArray c(4, '\0');
        qToBigEndian<quint32>(quint32(body.size()), c.data());
        c += type + body + QByteArray(4, '\0');
        qToBigEndian<quint32>(quint32(crc32(0, reinterpret_cast<const Bytef *>(c.constData() + 4), uInt(c.size() - 8))),
                              c.data() + c.size() - 4);
        return c;
    };
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(QByteArray("\x89PNG\r\n\x1A\n") +
                      chunk("IHDR", QByteArray("\0\0\0\x08\0\0\0\x02\x08\0\0\0\0", 13)) + chunk("IDAT", data) +
                      chunk("IEND", {})) > 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QDir out(QCoreApplication::arguments().value(1, QStringLiteral(".")));
    const QImage twelve = photo(4000, 3000);
    const bool ok = save(twelve, out.filePath(QStringLiteral("p12.jpg")), "jpeg") &&
                    save(twelve, out.filePath(QStringLiteral("p12.bmp")), "bmp") &&
                    save(photo(8000, 6000), out.filePath(QStringLiteral("p48.jpg")), "jpeg") &&
                    save(photo(128, 64), out.filePath(QStringLiteral("small.bmp")), "bmp") &&
                    save(stripes(16000, 16000), out.filePath(QStringLiteral("mono256.bmp")), "bmp") &&
                    save(stripes(20000, 20000), out.filePath(QStringLiteral("mono400.png")), "png") &&
                    save(stripes(8, 999999), out.filePath(QStringLiteral("tall.png")), "png") &&
                    tailedPng(out.filePath(QStringLiteral("tail.png")), std::int64_t(4) << 30);
    return ok ? 0 : 1;
}
