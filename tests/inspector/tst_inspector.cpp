#include "inspector/inspector.h"

#include <QTest>

class tst_Inspector : public QObject {
    Q_OBJECT

private slots:
    void byteColumnRoundsHalfToEven_data();
    void byteColumnRoundsHalfToEven();
    void readouts_data();
    void readouts();
    void leftOfTheFirstPixel();
    void downChangesOnlyTheRow();
    void otherKeysChangeNothing_data();
    void otherKeysChangeNothing();
    void stepsLeavingSixteenBitsAreIgnored_data();
    void stepsLeavingSixteenBitsAreIgnored();
    void clicksRoundHalfToEven();
    void markerBlinks();
};

void tst_Inspector::byteColumnRoundsHalfToEven_data()
{
    QTest::addColumn<int>("posx");
    QTest::addColumn<int>("column");
    for (int x : {0, 1, 2, 3, 4})
        QTest::addRow("%d", x) << x << 0;
    for (int x : {5, 8, 11})
        QTest::addRow("%d", x) << x << 1;
    QTest::newRow("12 (1.5 to 2)") << 12 << 2;
    QTest::newRow("20 (2.5 to 2)") << 20 << 2;
    QTest::newRow("28 (3.5 to 4)") << 28 << 4;
    QTest::newRow("-5 (-0.625 to -1)") << -5 << -1;
    QTest::newRow("-4 (-0.5 to 0)") << -4 << 0;
}

void tst_Inspector::byteColumnRoundsHalfToEven()
{
    QFETCH(int, posx);
    QFETCH(int, column);
    QCOMPARE(int(byteColumn(std::int16_t(posx))), column);
}

void tst_Inspector::readouts_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("markerLeft");
    QTest::newRow("(100, 20): c 12, 3F4")
        << 100 << 20 << QStringLiteral("X,Y:100,20 写入位置:12,20  首字节RAM地址：&H3F4") << 96;
    QTest::newRow("(103, 0): c 13, D") << 103 << 0 << QStringLiteral("X,Y:103,0 写入位置:13,0  首字节RAM地址：&HD")
                                       << 104;
    QTest::newRow("(4, 0): offset 0") << 4 << 0 << QStringLiteral("X,Y:4,0 写入位置:0,0  首字节RAM地址：&H0") << 0;
    QTest::newRow("(396, 299): boundary after the data")
        << 396 << 299 << QStringLiteral("X,Y:396,299 写入位置:50,299  首字节RAM地址：&H3A98") << 400;
    QTest::newRow("(399, 299)") << 399 << 299 << QStringLiteral("X,Y:399,299 写入位置:50,299  首字节RAM地址：&H3A98")
                                << 400;
    QTest::newRow("(395, 299): the last byte")
        << 395 << 299 << QStringLiteral("X,Y:395,299 写入位置:49,299  首字节RAM地址：&H3A97") << 392;
}

void tst_Inspector::readouts()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, text);
    QFETCH(int, markerLeft);
    const std::optional<Selection> selection = clickSelection(float(x), float(y));
    QVERIFY(selection);
    QCOMPARE(readoutText(selection->posx, selection->posy, 400), text);
    QCOMPARE(8 * byteColumn(selection->posx), markerLeft);
}

void tst_Inspector::leftOfTheFirstPixel()
{
    Selection at{0, 0};
    at = *stepSelection(at, KeyLeft);
    QCOMPARE(readoutText(at.posx, at.posy, 400), QStringLiteral("X,Y:-1,0 写入位置:0,0  首字节RAM地址：&H0"));
    for (int i = 0; i < 4; ++i)
        at = *stepSelection(at, KeyLeft);
    QCOMPARE(at.posx, std::int16_t(-5));
    QCOMPARE(readoutText(at.posx, at.posy, 400), QStringLiteral("X,Y:-5,0 写入位置:-1,0  首字节RAM地址：&HFFFFFFFF"));
    QCOMPARE(8 * byteColumn(at.posx), -8);
}

void tst_Inspector::downChangesOnlyTheRow()
{
    const Selection at = *stepSelection({100, 20}, KeyDown);
    QCOMPARE(readoutText(at.posx, at.posy, 400), QStringLiteral("X,Y:100,21 写入位置:12,21  首字节RAM地址：&H426"));
    QCOMPARE(stepSelection({100, 20}, KeyUp)->posy, std::int16_t(19));
    QCOMPARE(stepSelection({100, 20}, KeyRight)->posx, std::int16_t(101));
}

void tst_Inspector::otherKeysChangeNothing_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::newRow("space") << int(Qt::Key_Space);
    // Qt's values of these are 0x25 to 0x28, the arrow keys' codes.
    QTest::newRow("%") << int(Qt::Key_Percent);
    QTest::newRow("&") << int(Qt::Key_Ampersand);
    QTest::newRow("'") << int(Qt::Key_Apostrophe);
    QTest::newRow("(") << int(Qt::Key_ParenLeft);
}

void tst_Inspector::otherKeysChangeNothing()
{
    QFETCH(int, qtKey);
    const Selection at = *stepSelection({7, 9}, inspectorKeyCode(qtKey));
    QCOMPARE(at.posx, std::int16_t(7));
    QCOMPARE(at.posy, std::int16_t(9));
    QCOMPARE(inspectorKeyCode(Qt::Key_Left), 37);
    QCOMPARE(inspectorKeyCode(Qt::Key_Up), 38);
    QCOMPARE(inspectorKeyCode(Qt::Key_Right), 39);
    QCOMPARE(inspectorKeyCode(Qt::Key_Down), 40);
}

void tst_Inspector::stepsLeavingSixteenBitsAreIgnored_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("taken");
    QTest::newRow("left of -32768") << -32768 << 0 << int(KeyLeft) << false;
    QTest::newRow("above -32768") << 0 << -32768 << int(KeyUp) << false;
    QTest::newRow("below 32767") << 0 << 32767 << int(KeyDown) << false;
    QTest::newRow("right to 32764: marker at 32768") << 32763 << 0 << int(KeyRight) << false;
    QTest::newRow("right to 32763: marker at 32760") << 32762 << 0 << int(KeyRight) << true;
    QTest::newRow("left to -32767") << -32766 << 0 << int(KeyLeft) << true;
}

void tst_Inspector::stepsLeavingSixteenBitsAreIgnored()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, key);
    QFETCH(bool, taken);
    QCOMPARE(stepSelection({std::int16_t(x), std::int16_t(y)}, key).has_value(), taken);
}

void tst_Inspector::clicksRoundHalfToEven()
{
    QCOMPARE(clickSelection(2.5f, 3.5f)->posx, std::int16_t(2));
    QCOMPARE(clickSelection(2.5f, 3.5f)->posy, std::int16_t(4));
    QVERIFY(!clickSelection(40000.0f, 0.0f));
}

void tst_Inspector::markerBlinks()
{
    Shape marker;
    marker.blink(); // hidden: left alone
    QCOMPARE(marker.BackColor, blackColour);
    marker.Visible = true;
    marker.blink();
    QCOMPARE(marker.BackColor, whiteColour);
    marker.blink();
    QCOMPARE(marker.BackColor, blackColour);
    QCOMPARE(offsetHex(-1), QStringLiteral("FFFFFFFF"));
    QCOMPARE(offsetHex(0), QStringLiteral("0"));
    QCOMPARE(offsetHex(0x7FFFFFFF), QStringLiteral("7FFFFFFF"));
}

QTEST_GUILESS_MAIN(tst_Inspector)
#include "tst_inspector.moc"
