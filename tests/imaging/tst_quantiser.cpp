#include "imaging/quantiser.h"

#include <QTest>

// Every share of the diffused error, and every entry of the Bayer matrix, pinned by a case that flips when it
// is one off. Black and white (one channel, largest level 1): a value below 128 (with the errors handed to it)
// is black, and a value that comes to exactly 255 or 0 hands no error on.
class tst_Quantiser : public QObject {
    Q_OBJECT

private slots:
    void sharesOfTheError_data();
    void sharesOfTheError();
    void everyBayerEntry_data();
    void everyBayerEntry();
    void greyAndColourLevels();
};

void tst_Quantiser::sharesOfTheError_data()
{
    QTest::addColumn<int>("dither");
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("at");    // the pixel that receives the share
    QTest::addColumn<int>("level"); // its level
    const int fs = int(Dither::FloydSteinberg), atkinson = int(Dither::Atkinson);
    // The source, 100 at (1, 0), is black and hands on 100: 43 right, 18 below left, 31 below, 6 below right;
    // Atkinson 12 to each of six. A neighbour that would hand on the source's share is set to reach 255.
    QTest::newRow("FS 7/16 right, 85 + 43") << fs << 3 << QList<int>{0, 100, 85} << 2 << 1;
    QTest::newRow("FS 7/16 right, 84 + 43") << fs << 3 << QList<int>{0, 100, 84} << 2 << 0;
    QTest::newRow("FS 3/16 below left, 110 + 18") << fs << 3 << QList<int>{0, 100, 212, 110, 0, 0} << 3 << 1;
    QTest::newRow("FS 3/16 below left, 109 + 18") << fs << 3 << QList<int>{0, 100, 212, 109, 0, 0} << 3 << 0;
    QTest::newRow("FS 5/16 below, 97 + 31") << fs << 3 << QList<int>{0, 100, 212, 237, 97, 0} << 4 << 1;
    QTest::newRow("FS 5/16 below, 96 + 31") << fs << 3 << QList<int>{0, 100, 212, 237, 96, 0} << 4 << 0;
    QTest::newRow("FS 1/16 below right, 122 + 6") << fs << 3 << QList<int>{0, 100, 212, 237, 224, 122} << 5 << 1;
    QTest::newRow("FS 1/16 below right, 121 + 6") << fs << 3 << QList<int>{0, 100, 212, 237, 224, 121} << 5 << 0;
    QTest::newRow("Atkinson right, 116 + 12") << atkinson << 3 << QList<int>{0, 100, 116} << 2 << 1;
    QTest::newRow("Atkinson right, 115 + 12") << atkinson << 3 << QList<int>{0, 100, 115} << 2 << 0;
    QTest::newRow("Atkinson two right, 116 + 12") << atkinson << 4 << QList<int>{0, 100, 243, 116} << 3 << 1;
    QTest::newRow("Atkinson two right, 115 + 12") << atkinson << 4 << QList<int>{0, 100, 243, 115} << 3 << 0;
    QTest::newRow("Atkinson below left, 116 + 12") << atkinson << 3 << QList<int>{0, 100, 243, 116, 0, 0} << 3 << 1;
    QTest::newRow("Atkinson below left, 115 + 12") << atkinson << 3 << QList<int>{0, 100, 243, 115, 0, 0} << 3 << 0;
    QTest::newRow("Atkinson below, 116 + 12") << atkinson << 3 << QList<int>{0, 100, 243, 243, 116, 0} << 4 << 1;
    QTest::newRow("Atkinson below, 115 + 12") << atkinson << 3 << QList<int>{0, 100, 243, 243, 115, 0} << 4 << 0;
    QTest::newRow("Atkinson below right, 116 + 12")
        << atkinson << 3 << QList<int>{0, 100, 243, 243, 243, 116} << 5 << 1;
    QTest::newRow("Atkinson below right, 115 + 12")
        << atkinson << 3 << QList<int>{0, 100, 243, 243, 243, 115} << 5 << 0;
    QTest::newRow("Atkinson two below, 116 + 12")
        << atkinson << 3 << QList<int>{0, 100, 243, 243, 243, 243, 0, 116, 0} << 7 << 1;
    QTest::newRow("Atkinson two below, 115 + 12")
        << atkinson << 3 << QList<int>{0, 100, 243, 243, 243, 243, 0, 115, 0} << 7 << 0;
    // A row's errors, used, are cleared before they serve the row three below.
    QTest::newRow("FS: the fourth row's errors start at 0, 127") << fs << 1 << QList<int>{0, 0, 0, 127} << 3 << 0;
    // An error past the right edge, or below the last row, goes nowhere; a white source hands on less than 0.
    QTest::newRow("FS: a white source lowers its neighbour, 200 - 24 + 128")
        << fs << 2 << QList<int>{200, 152} << 1 << 1;
    QTest::newRow("FS: a white source lowers its neighbour, 200 - 24 + 127")
        << fs << 2 << QList<int>{200, 151} << 1 << 0;
}

void tst_Quantiser::sharesOfTheError()
{
    QFETCH(int, dither);
    QFETCH(int, width);
    QFETCH(QList<int>, values);
    QFETCH(int, at);
    QFETCH(int, level);
    Quantiser quantiser(Dither(dither), width, 1, {1, 0, 0});
    std::vector<std::uint8_t> levels(values.size());
    for (qsizetype y = 0; y * width < values.size(); ++y) {
        std::vector<std::uint8_t> row(values.begin() + y * width, values.begin() + (y + 1) * width);
        quantiser.row(row.data(), levels.data() + y * width);
    }
    QCOMPARE(int(levels[std::size_t(at)]), level);
}

void tst_Quantiser::everyBayerEntry_data()
{
    QTest::addColumn<int>("k");
    for (int k = 0; k < 16; ++k)
        QTest::addRow("%d", k) << k;
}

// A uniform picture of 16 k + 8 is white exactly where the matrix's entry is k or less, and one of 16 k + 7
// where it is less than k.
void tst_Quantiser::everyBayerEntry()
{
    QFETCH(int, k);
    static const int matrix[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (const int v : {16 * k + 8, 16 * k + 7}) {
        Quantiser quantiser(Dither::Bayer4, 8, 1, {1, 0, 0});
        const std::vector<std::uint8_t> row(8, std::uint8_t(v));
        for (int y = 0; y < 8; ++y) {
            std::uint8_t levels[8];
            quantiser.row(row.data(), levels);
            for (int x = 0; x < 8; ++x)
                QVERIFY2(levels[x] == (16 * matrix[y % 4][x % 4] + 8 <= v),
                         qPrintable(QStringLiteral("value %1 at (%2, %3)").arg(v).arg(x).arg(y)));
        }
    }
}

// Grey and colour: the nearest level of each channel, and an ordered offset of one level step.
void tst_Quantiser::greyAndColourLevels()
{
    const std::uint8_t values[6] = {0, 85, 170, 255, 100, 8};
    std::uint8_t levels[6];
    Quantiser(Dither::None, 6, 1, {3, 0, 0}).row(values, levels);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(levels), 6), QByteArray("\x00\x01\x02\x03\x01\x00", 6));
    Quantiser(Dither::None, 2, 3, {31, 63, 31}).row(values, levels);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(levels), 6), QByteArray("\x00\x15\x15\x1F\x19\x01", 6));
    // Gray4, 8 with entry 0 at (0, 0): (8 * 15 + 247) / 255 = 1; with entry 8 at (1, 0): (120 + 119) / 255 = 0.
    Quantiser bayer(Dither::Bayer4, 2, 1, {15, 0, 0});
    const std::uint8_t eights[2] = {8, 8};
    bayer.row(eights, levels);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(levels), 2), QByteArray("\x01\x00", 2));
    // rgb332 ordered, each pixel's three channels its own: (0, 85, 170) with offset 247, (255, 100, 8) with 119.
    Quantiser colours(Dither::Bayer4, 2, 3, {7, 7, 3});
    colours.row(values, levels);
    QCOMPARE(QByteArray(reinterpret_cast<char *>(levels), 6), QByteArray("\x00\x03\x02\x07\x03\x00", 6));
}

QTEST_GUILESS_MAIN(tst_Quantiser)
#include "tst_quantiser.moc"
