#include "picture/picture.h"
#include "picture/picturesurface.h"
#include "support/models.h"
#include "support/testpictures.h"

#include <QTemporaryDir>
#include <QTest>

using namespace TestPictures;

// The window's picture: its surface, and the width rule.
class tst_Picture : public QObject {
    Q_OBJECT

private slots:
    void surfaceSizeFollowsPicture();
    void psetChangesOnlyTheSurface();
    void emptyPictureKeepsTheBoxSize();
    void byteAlignedWidth_data();
    void byteAlignedWidth();

private:
    QString file(const QString &name, const QByteArray &data) { return writeIn(dir.path(), name, data); }
    QTemporaryDir dir;
};

void tst_Picture::surfaceSizeFollowsPicture()
{
    PictureSurface surface;
    surface.setPicture(workedExample());
    QCOMPARE(surface.ScaleWidth(), 16.0);
    QCOMPARE(surface.ScaleHeight(), 2.0);
    QCOMPARE(surface.Point(15, 1), whiteColour);
    QCOMPARE(surface.Point(14, 1), blackColour);
    QCOMPARE(surface.Width(), float((16 + 4) * 15));
    QCOMPARE(surface.Height(), float((2 + 4) * 15));
    surface.setWidth(float((20 + 4) * 15)); // wider: the picture's rows stay whole, the new columns background
    QCOMPARE(surface.ScaleWidth(), 20.0);
    QCOMPARE(surface.Point(14, 1), blackColour);
    QCOMPARE(surface.Point(19, 1), whiteColour);

    surface.setPicture(solid(400, 300, qRgb(1, 2, 3)));
    QCOMPARE(surface.Width(), 6060.0f);
    QCOMPARE(surface.Height(), 4560.0f);
    QCOMPARE(surface.Point(399, 299), Colour(0x030201));
    QCOMPARE(surface.Point(400, 0), whiteColour); // outside: the background
}

void tst_Picture::psetChangesOnlyTheSurface()
{
    const QByteArray bytes = encodeBmp(workedExample(), 24);
    const QString path = file(QStringLiteral("w.bmp"), bytes);
    PictureSurface surface;
    surface.setPicture(LoadPicture(path, Limits::window()).picture);
    QCOMPARE(surface.Point(3, 0), whiteColour);
    surface.PSet(3, 0, blackColour);
    QCOMPARE(surface.Point(3, 0), blackColour);
    surface.PSet(3, 0, whiteColour);
    QCOMPARE(surface.Point(3, 0), whiteColour);
    surface.PSet(0, 0, Colour(0x123456));
    QCOMPARE(surface.Point(0, 0), Colour(0x123456));
    surface.PSet(-1, 0, blackColour); // ignored
    QCOMPARE(readFile(path), bytes);
}

void tst_Picture::emptyPictureKeepsTheBoxSize()
{
    PictureSurface surface;
    QCOMPARE(surface.ScaleWidth(), 400.0);
    QVERIFY(!showsPicture(surface));
    surface.setPicture(solid(64, 400, qRgb(0, 0, 0)));
    QVERIFY(showsPicture(surface));
    surface.setPicture(QImage());
    QVERIFY(!showsPicture(surface));
    QCOMPARE(surface.ScaleWidth(), 64.0);
    QCOMPARE(surface.ScaleHeight(), 400.0);
    QCOMPARE(surface.Point(0, 0), whiteColour);
    surface.setWidth(6060);
    surface.setHeight(4560);
    QCOMPARE(surface.ScaleWidth(), 400.0);
    QCOMPARE(surface.ScaleHeight(), 300.0);
    QCOMPARE(surface.Point(399, 299), whiteColour);
}

void tst_Picture::byteAlignedWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("8") << 8 << true;
    QTest::newRow("400") << 400 << true;
    QTest::newRow("401") << 401 << false;
    QTest::newRow("404") << 404 << false;
    QTest::newRow("100") << 100 << false;
    QTest::newRow("128") << 128 << true;
}

void tst_Picture::byteAlignedWidth()
{
    QFETCH(int, width);
    QFETCH(bool, accepted);
    PictureSurface surface;
    surface.setPicture(solid(width, 1, qRgb(0, 0, 0)));
    QCOMPARE(hasByteAlignedWidth(surface), accepted);
}

QTEST_GUILESS_MAIN(tst_Picture)
#include "tst_picture.moc"
