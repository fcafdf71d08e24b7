#include "core/budget.h"
#include "core/limits.h"

#include <QTest>

// The process's one memory budget: what fits, what is given back, and whether a refusal was the others' doing.
class tst_Budget : public QObject {
    Q_OBJECT

private slots:
    void reservations_data();
    void reservations();
    void refusalNamesWhatAndHowMuch();
};

void tst_Budget::reservations_data()
{
    QTest::addColumn<qint64>("othersHold"); // another reservation's bytes, held throughout
    QTest::addColumn<qint64>("first");      // taken into the reservation under test
    QTest::addColumn<qint64>("then");       // taken into it next
    QTest::addColumn<bool>("fits");
    QTest::addColumn<bool>("shared"); // refused only because of what the others hold
    QTest::newRow("exactly the capacity") << qint64(0) << qint64(60) << qint64(40) << true << false;
    QTest::newRow("one byte over, alone") << qint64(0) << qint64(60) << qint64(41) << false << false;
    QTest::newRow("over beside the others") << qint64(30) << qint64(30) << qint64(41) << false << true;
    QTest::newRow("beside the others, fitting") << qint64(30) << qint64(30) << qint64(40) << true << false;
    QTest::newRow("more than the whole, however much is held")
        << qint64(30) << qint64(0) << qint64(101) << false << false;
    QTest::newRow("a size read from a file, near 2^63")
        << qint64(1) << qint64(0) << std::numeric_limits<qint64>::max() << false << false;
}

void tst_Budget::reservations()
{
    QFETCH(qint64, othersHold);
    QFETCH(qint64, first);
    QFETCH(qint64, then);
    QFETCH(bool, fits);
    QFETCH(bool, shared);
    const auto budget = std::make_shared<Budget>(100);
    Reservation others;
    QVERIFY(budget->take(others, othersHold));
    {
        Reservation mine;
        QVERIFY(budget->take(mine, first));
        Budget::forgetRefusal();
        QCOMPARE(budget->take(mine, then), fits);
        QCOMPARE(Budget::lastRefusalWasShared(), shared);
        QCOMPARE(mine.bytes(), first + (fits ? then : 0));
        QCOMPARE(budget->held(), othersHold + mine.bytes());
        mine.giveBack(first);
        QCOMPARE(budget->held(), othersHold + mine.bytes());
    }
    QCOMPARE(budget->held(), othersHold); // given back when it ends
}

void tst_Budget::refusalNamesWhatAndHowMuch()
{
    const Limits limits = Limits::withBudget(Limits::defaultMaxPixels, 1000);
    Reservation held, more;
    Refusal why;
    QVERIFY(limits.reserve(600, Subject::Thing::AnimationPicture, &held, &why));
    QVERIFY(!limits.reserve(500, Subject::Thing::Sheet, &more, &why));
    QCOMPARE(why.kind(), Refusal::Kind::OverLimit);
    QCOMPARE(why.rule, Refusal::Rule::Held);
    QCOMPARE(why.subject.thing, Subject::Thing::Sheet);
    QCOMPARE(why.value, 500);
    QCOMPARE(why.held, 600);
    QCOMPARE(why.limit, 1000);
}

QTEST_GUILESS_MAIN(tst_Budget)
#include "tst_budget.moc"
