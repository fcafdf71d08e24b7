#include "export/packbits.h"
#include "support/models.h"

#include <QRandomGenerator>
#include <QTest>

class tst_PackBits : public QObject {
    Q_OBJECT

private slots:
    void packs_data();
    void packs();
    void unpacksWhatItPacks_data();
    void unpacksWhatItPacks();
    void refusesWhatEndsEarly();
};

void tst_PackBits::packs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("packed");
    QByteArray different(129, '\0');
    for (int i = 0; i < 129; ++i)
        different[i] = char(i);
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("a single byte") << QByteArray("\x42") << QByteArray("\x00\x42", 2);
    QTest::newRow("two equal: a literal") << QByteArray("\x42\x42") << QByteArray("\x01\x42\x42", 3);
    QTest::newRow("three equal: a run") << QByteArray("\x42\x42\x42") << QByteArray("\xFE\x42", 2);
    QTest::newRow("128 equal") << QByteArray(128, '\x07') << QByteArray("\x81\x07", 2);
    QTest::newRow("129 equal") << QByteArray(129, '\x07') << QByteArray("\x81\x07\x00\x07", 4);
    QTest::newRow("128 different") << different.left(128) << '\x7F' + different.left(128);
    QTest::newRow("129 different") << different << '\x7F' + different.left(128) + '\x00' + different.right(1);
    QTest::newRow("127 different and a pair: the literal cut at 128")
        << different.left(127) + QByteArray(2, '\x90') << '\x7F' + different.left(127) + QByteArray("\x90\x00\x90", 3);
    QTest::newRow("a run of three ends a literal") << QByteArray("ABCCC")
                                                   << QByteArray("\x01"
                                                                 "AB"
                                                                 "\xFE"
                                                                 "C");
    QTest::newRow("a run inside literals") << QByteArray("ABCCCCDE")
                                           << QByteArray("\x01"
                                                         "AB"
                                                         "\xFD"
                                                         "C"
                                                         "\x01"
                                                         "DE");
}

void tst_PackBits::packs()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, packed);
    QCOMPARE(packBits(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size()).toHex(' '),
             packed.toHex(' '));
}

void tst_PackBits::unpacksWhatItPacks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QRandomGenerator random(20261207);
    for (int n : {1, 2, 3, 127, 128, 129, 255, 256, 257, 1000, 4096}) {
        for (int runs : {0, 1}) { // noise, or runs of random lengths
            QByteArray bytes;
            while (bytes.size() < n)
                bytes.append(runs ? int(random.bounded(1, 300)) : 1, char(random.bounded(runs ? 3 : 256)));
            bytes.truncate(n);
            QTest::addRow("%d bytes, %s", n, runs ? "runs" : "noise") << bytes;
        }
    }
}

// Whatever the bytes, they come back; and never more than one byte in 128 is added.
void tst_PackBits::unpacksWhatItPacks()
{
    QFETCH(QByteArray, bytes);
    const QByteArray packed = packBits(reinterpret_cast<const std::uint8_t *>(bytes.constData()), bytes.size());
    QVERIFY2(packed.size() <= bytes.size() + (bytes.size() + 127) / 128, qPrintable(QString::number(packed.size())));
    QByteArray unpacked;
    QVERIFY(unpackBits(packed, &unpacked, bytes.size()));
    QCOMPARE(unpacked, bytes);
}

void tst_PackBits::refusesWhatEndsEarly()
{
    QByteArray out;
    QVERIFY(!unpackBits(QByteArray("\x02\x41\x42", 3), &out, 100)); // a literal of 3 with 2
    QVERIFY(!unpackBits(QByteArray("\xFE", 1), &out, 100));         // a run without its byte
    QVERIFY(!unpackBits(QByteArray("\x81\x00", 2), &out, 100));     // 128 bytes where 100 fit
    QVERIFY(unpackBits(QByteArray("\x80\x00\x41", 3), &out, 100));  // 128: nothing, and never written
    QCOMPARE(out, QByteArray("A"));
}

QTEST_GUILESS_MAIN(tst_PackBits)
#include "tst_packbits.moc"
