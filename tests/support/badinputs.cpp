#include "badinputs.h"

#include "support/testpictures.h"

#include <QDir>

using namespace TestPictures;

namespace BadInputs {

QString longFolder(const QString &base, int length)
{
    QString path = base;
    for (int i = 0; path.size() < length; ++i)
        path += u'/' + QString(std::min<qsizetype>(200, length - path.size()), QChar(u'a' + i % 26));
    QDir().mkpath(path);
    return path;
}

QList<BadInput> make(const QString &folder)
{
    QDir().mkpath(folder);
    const QDir dir(folder);
    QImage picture(24, 6, QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 24; ++x)
            picture.setPixel(x, y, (x + y) % 3 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QByteArray bmp = encodeBmp(picture, 24);
    const QByteArray jpeg = encodeJpeg(picture, 80);
    const QByteArray gif = encodeGif({picture});

    QByteArray huge = bmp.left(54);
    QByteArray zero = bmp.left(54);
    for (int i = 0; i < 4; ++i) {
        huge[18 + i] = huge[22 + i] = char((60000 >> (8 * i)) & 0xFF);
        zero[18 + i] = zero[22 + i] = 0;
    }

    const QList<std::pair<QString, QByteArray>> files{
        {QStringLiteral("empty.bmp"), QByteArray()},
        {QStringLiteral("truncated.bmp"), bmp.left(bmp.size() - 40)},
        {QStringLiteral("truncated.jpg"), jpeg.left(jpeg.size() * 2 / 3)},
        {QStringLiteral("truncated.gif"), gif.left(gif.size() / 2)},
        {QStringLiteral("text.bmp"), QByteArray("This is not a picture.\n")},
        {QStringLiteral("huge.bmp"), huge},
        {QStringLiteral("noframe.gif"), encodeGif({})},
        {QStringLiteral("zero.bmp"), zero},
    };
    for (const auto &[name, data] : files)
        if (!writeFile(dir.filePath(name), data))
            qFatal("cannot write %s", qPrintable(dir.filePath(name)));
    dir.mkdir(QStringLiteral("folder.bmp"));

    const auto at = [&](const QString &name) { return dir.filePath(name); };
    return {
        {QStringLiteral("empty file"), at(QStringLiteral("empty.bmp")), QStringLiteral("empty")},
        {QStringLiteral("truncated BMP"), at(QStringLiteral("truncated.bmp")), QStringLiteral("cut short")},
        {QStringLiteral("truncated JPEG"), at(QStringLiteral("truncated.jpg")), QStringLiteral("cut short")},
        {QStringLiteral("truncated GIF"), at(QStringLiteral("truncated.gif")), QStringLiteral("cut short")},
        {QStringLiteral("text named .bmp"), at(QStringLiteral("text.bmp")), QStringLiteral("not a BMP, JPEG or GIF"),
         QStringLiteral("not a BMP, JPEG, GIF or PNG")},
        {QStringLiteral("BMP claiming 60000 x 60000"), at(QStringLiteral("huge.bmp")), QStringLiteral("256 MiB"),
         QStringLiteral("cut short")},
        {QStringLiteral("GIF without a frame"), at(QStringLiteral("noframe.gif")), QStringLiteral("no picture")},
        {QStringLiteral("0 x 0 picture"), at(QStringLiteral("zero.bmp")), QStringLiteral("no pixels")},
        {QStringLiteral("directory"), at(QStringLiteral("folder.bmp")), QStringLiteral("directory")},
        {QStringLiteral("missing file"), at(QStringLiteral("missing.bmp")), QStringLiteral("no such file")},
        {QStringLiteral("missing, with spaces, quotes and Chinese"), at(QStringLiteral("我的 \"图片\" 'x'.bmp")),
         QStringLiteral("no such file")},
        {QStringLiteral("missing, 4000 characters"),
         longFolder(folder + QStringLiteral("/long"), 4000) + QStringLiteral("/pic.bmp"),
         QStringLiteral("no such file")},
    };
}

} // namespace BadInputs
