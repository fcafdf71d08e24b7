#include "core/clock.h"
#include "core/progress.h"
#include "core/rounding.h"
#include "app/texts.h"

#include <QTest>
#include <QTimeZone>

class tst_Progress : public QObject {
    Q_OBJECT

private slots:
    void roundHalfEven_data();
    void roundHalfEven();
    void percentages_data();
    void percentages();
    void progressTextForm();
    void clockTexts();
    void sourceDateEpochFixesTheClock();
    void malformedSourceDateEpoch();
};

void tst_Progress::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("2.5 to even 2") << 2.5 << 2.0;
    QTest::newRow("3.5 to even 4") << 3.5 << 4.0;
    QTest::newRow("12.5 to even 12") << 12.5 << 12.0;
    QTest::newRow("0.5 to 0") << 0.5 << 0.0;
    QTest::newRow("-0.5 to 0") << -0.5 << 0.0;
    QTest::newRow("-1.5 to -2") << -1.5 << -2.0;
    QTest::newRow("-0.625 to -1") << -0.625 << -1.0;
    QTest::newRow("2.4999 down") << 2.4999 << 2.0;
    QTest::newRow("2.5001 up") << 2.5001 << 3.0;
    QTest::newRow("whole stays") << 400.0 << 400.0;
}

void tst_Progress::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(::roundHalfEven(value), rounded);
}

void tst_Progress::percentages_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("H=1") << 1 << QList<int>{100};
    QTest::newRow("H=3") << 3 << QList<int>{33, 67, 100};
    QTest::newRow("H=8, halves to even") << 8 << QList<int>{12, 25, 38, 50, 62, 75, 88, 100};
}

void tst_Progress::percentages()
{
    QFETCH(int, height);
    QFETCH(QList<int>, expected);
    QList<int> actual;
    for (int row = 0; row < height; ++row)
        actual.append(progressPercent(row, height));
    QCOMPARE(actual, expected);
}

void tst_Progress::progressTextForm()
{
    QCOMPARE(progressText(Texts::readingPixels, 0, 3), QStringLiteral("正在读取图片象素信息...目前进度为33%"));
    QCOMPARE(progressText(Texts::converting, 0, 1000), QStringLiteral("正在进行彩色>>黑白转换...目前进度为0%"));
    QStringList seen;
    reportProgress([&](const QString &text) { seen << text; }, Texts::writingHex, 2, 3);
    reportProgress({}, Texts::writingHex, 2, 3); // an empty sink is allowed
    QCOMPARE(seen, QStringList{QStringLiteral("正在转换成Hex代码...目前进度为100%")});
}

void tst_Progress::clockTexts()
{
    const QDateTime moment(QDate(2002, 11, 15), QTime(14, 5, 9));
    QCOMPARE(dateText(moment), QStringLiteral("2002-11-15"));
    QCOMPARE(dateText(QDateTime(QDate(1970, 1, 1), QTime())), QStringLiteral("1970-01-01")); // not 2070
    QCOMPARE(timeText(moment), QStringLiteral("14:05:09"));
    QCOMPARE(timeText(QDateTime(QDate(2026, 1, 2), QTime(0, 0, 0))), QStringLiteral("00:00:00"));
}

void tst_Progress::sourceDateEpochFixesTheClock()
{
    qputenv("SOURCE_DATE_EPOCH", "1037369109");
    const QDateTime now = reproducibleNow();
    qunsetenv("SOURCE_DATE_EPOCH");
    QCOMPARE(now, QDateTime(QDate(2002, 11, 15), QTime(14, 5, 9), QTimeZone::utc()));
    QCOMPARE(dateText(now), QStringLiteral("2002-11-15"));
    QCOMPARE(timeText(now), QStringLiteral("14:05:09"));
    QVERIFY(!sourceDateEpoch().has_value());
}

void tst_Progress::malformedSourceDateEpoch()
{
    qputenv("SOURCE_DATE_EPOCH", "yesterday");
    const std::optional<QDateTime> epoch = sourceDateEpoch();
    const QDateTime now = reproducibleNow();
    qunsetenv("SOURCE_DATE_EPOCH");
    QVERIFY(epoch.has_value());
    QVERIFY(!epoch->isValid());
    QVERIFY2(qAbs(now.secsTo(QDateTime::currentDateTime())) < 5, "a malformed value falls back to the real clock");
}

QTEST_GUILESS_MAIN(tst_Progress)
#include "tst_progress.moc"
