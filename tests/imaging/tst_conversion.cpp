#include "app/texts.h"
#include "core/rounding.h"
#include "imaging/conversion.h"
#include "picture/windowpasses.h"
#include "imaging/pixeltable.h"
#include "picture/picturesurface.h"
#include "support/models.h"
#include "support/testpictures.h"

#include <QTest>

using namespace TestPictures;

class tst_Conversion : public QObject {
    Q_OBJECT

private slots:
    void threshold_data();
    void threshold();
    void convertsInPlaceRowByRow();
    void secondRunChangesNothing();
    void progressAndEveryColourByTheRule();
    void everyColourByTheFormula();
};

void tst_Conversion::threshold_data()
{
    QTest::addColumn<Colour>("colour");
    QTest::addColumn<bool>("white");
    QTest::newRow("white stays white") << Colour(0xFFFFFF) << true;
    QTest::newRow("black stays black") << Colour(0x000000) << false;
    QTest::newRow("pure green") << Colour(0x00FF00) << true;
    QTest::newRow("yellow") << Colour(0x00FFFF) << true;
    QTest::newRow("green byte 244 alone (G' 245)") << Colour(0x00F400) << true;
    QTest::newRow("green byte 243 alone (G' 244, not above)") << Colour(0x00F300) << false;
    QTest::newRow("pure red, S 255") << Colour(0x0000FF) << false;
    QTest::newRow("pure blue, S 255") << Colour(0xFF0000) << false;
    QTest::newRow("magenta, S 510") << Colour(0xFF00FF) << false;
    QTest::newRow("grey 128, S 385") << Colour(0x808080) << false;
    QTest::newRow("grey 182, S 547") << Colour(0xB6B6B6) << false;
    QTest::newRow("grey 183, S 550") << Colour(0xB7B7B7) << true;
    QTest::newRow("grey 192, S 577") << Colour(0xC0C0C0) << true;
    QTest::newRow("R 60 G 240 B 255, S 556") << Colour(0xFFF03C) << true;
    QTest::newRow("R 255 G 60 B 0, S 315") << Colour(0x003CFF) << false;
    // S = 549 exactly is black, 550 white: R 255, G 39 (G' 39), B 255 gives 549.
    QTest::newRow("S 549 is black") << Colour(0xFF27FF) << false;
    QTest::newRow("S 550 is white") << Colour(0xFF28FF) << true;
}

void tst_Conversion::threshold()
{
    QFETCH(Colour, colour);
    QFETCH(bool, white);
    QRgb pixel = rgbFromColour(colour);
    convertRow(&pixel, 1, rgbFromColour(whiteColour), rgbFromColour(blackColour));
    QCOMPARE(pixel == rgbFromColour(whiteColour), white);
    QCOMPARE(convertsToWhite(colour), white); // and the written rule agrees
}

void tst_Conversion::convertsInPlaceRowByRow()
{
    QImage picture(8, 2, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 255, 255), qRgb(0, 0, 0),       qRgb(0, 255, 0),   qRgb(0, 243, 0),
                            qRgb(182, 182, 182), qRgb(183, 183, 183), qRgb(255, 0, 255), qRgb(60, 240, 255)};
    for (int x = 0; x < 8; ++x) {
        picture.setPixel(x, 0, colours[x]);
        picture.setPixel(x, 1, colours[7 - x]);
    }
    PictureSurface surface;
    surface.setPicture(picture);
    convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    const PixelTable table = readPixelTable(surface, blackColour, {}, Limits::window());
    QCOMPARE(int(packedByte(table, 0, 0)), 0b01011010);
    QCOMPARE(int(packedByte(table, 0, 1)), 0b01011010); // the reversed row reads the same
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x)
            QVERIFY(surface.Point(x, y) == whiteColour || surface.Point(x, y) == blackColour);
}

void tst_Conversion::secondRunChangesNothing()
{
    PictureSurface surface;
    surface.setPicture(solid(16, 4, qRgb(100, 150, 200)));
    convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    const QImage once = surface.image();
    convertToBlackAndWhite(surface, whiteColour, blackColour, {});
    QCOMPARE(surface.image(), once);
}

void tst_Conversion::progressAndEveryColourByTheRule()
{
    // 8 rows of 256 x 8 pixels walking through many colours; each must land where the rule says.
    QImage picture(256, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x)
            picture.setPixel(x, y, qRgb((x * 37 + y) & 0xFF, x, (x * 11 + y * 29) & 0xFF));
    PictureSurface surface;
    surface.setPicture(picture);
    QStringList texts;
    convertToBlackAndWhite(surface, whiteColour, blackColour, [&](const QString &text) { texts << text; });
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 256; ++x)
            QCOMPARE(surface.Point(x, y),
                     convertsToWhite(colourFromRgb(picture.pixel(x, y))) ? whiteColour : blackColour);
    QStringList expected;
    for (const char *n : {"12", "25", "38", "50", "62", "75", "88", "100"})
        expected << Texts::converting.toString() + QLatin1String(n) + u'%';
    QCOMPARE(texts, expected);
}

// The test in its written form, G' and B' rounded half to even, against the program's row conversion, over all
// 2^24 colours, a row of every red for each green and blue.
void tst_Conversion::everyColourByTheFormula()
{
    const QRgb white = rgbFromColour(whiteColour), black = rgbFromColour(blackColour);
    QRgb row[256];
    for (int g = 0; g < 256; ++g) {
        for (int b = 0; b < 256; ++b) {
            for (int r = 0; r < 256; ++r)
                row[r] = qRgb(r, g, b);
            convertRow(row, 256, white, black);
            for (int r = 0; r < 256; ++r)
                if ((row[r] == white) != convertsToWhite(Colour(r | g << 8 | b << 16)))
                    QFAIL(qPrintable(QStringLiteral("r %1 g %2 b %3").arg(r).arg(g).arg(b)));
        }
    }
}

QTEST_GUILESS_MAIN(tst_Conversion)
#include "tst_conversion.moc"
