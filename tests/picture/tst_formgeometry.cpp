#include "app/platform.h"
#include "picture/formgeometry.h"
#include "picture/picturesurface.h"
#include "support/windowfit.h"
#include "support/testpictures.h"

#include <QTest>

namespace {

const QSizeF screen1280(1280 * 15, 1024 * 15);

PictureSurface boxShowing(int width, int height)
{
    PictureSurface box;
    box.setPicture(TestPictures::solid(width, height, qRgb(0, 0, 0)));
    return box;
}

} // namespace

class tst_FormGeometry : public QObject {
    Q_OBJECT

private slots:
    void fitsAroundPicture_data();
    void fitsAroundPicture();
    void refusesWhatTheScreenCannotHold_data();
    void refusesWhatTheScreenCannotHold();
    void dialogFilterInQtForm();
};

void tst_FormGeometry::fitsAroundPicture_data()
{
    addWindowFitRows();
}

void tst_FormGeometry::fitsAroundPicture()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(float, frameLeft);
    QFETCH(float, frameTop);
    QFETCH(float, formWidth);
    QFETCH(float, formHeight);
    FormGeometry geometry(screen1280, screen1280);
    QVERIFY(geometry.arrange(boxShowing(width, height), LayoutMargins{}));
    QCOMPARE(geometry.frameLeft(), frameLeft);
    QCOMPARE(geometry.frameTop(), frameTop);
    QCOMPARE(geometry.Width(), formWidth);
    QCOMPARE(geometry.Height(), formHeight);
    QCOMPARE(geometry.Left(), (19200 - formWidth) / 2);
    QCOMPARE(geometry.Top(), (15360 - formHeight) / 2);
}

void tst_FormGeometry::refusesWhatTheScreenCannotHold_data()
{
    QTest::addColumn<QSizeF>("largest");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("fits");
    QTest::newRow("640 x 2000 on a 768-pixel-high screen") << QSizeF(1024 * 15, 768 * 15) << 640 << 2000 << false;
    // 400 x 400 wants exactly 8475 x 6960.
    QTest::newRow("wanted equals largest: fits") << QSizeF(8475, 6960) << 400 << 400 << true;
    QTest::newRow("one twip short in height") << QSizeF(8475, 6959) << 400 << 400 << false;
    QTest::newRow("one twip short in width") << QSizeF(8474, 6960) << 400 << 400 << false;
    QTest::newRow("short pictures are never refused") << QSizeF(3000, 3000) << 1000 << 100 << true;
}

void tst_FormGeometry::refusesWhatTheScreenCannotHold()
{
    QFETCH(QSizeF, largest);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, fits);
    FormGeometry geometry(screen1280, largest);
    QCOMPARE(geometry.arrange(boxShowing(width, height), LayoutMargins{}), fits);
    QVERIFY(geometry.Width() <= largest.width());
    QVERIFY(geometry.Height() <= largest.height());
}

void tst_FormGeometry::dialogFilterInQtForm()
{
    QCOMPARE(qtNameFilters(QStringLiteral("Pictures (*.bmp;*.jpeg;*.jpg;*.gif)|*.bmp;*.jpeg;*.jpg;*.gif")),
             QStringLiteral("Pictures (*.bmp *.jpeg *.jpg *.gif)"));
    QCOMPARE(qtNameFilters(QStringLiteral("Text|*.txt|All files (*.*)|*.*")),
             QStringLiteral("Text (*.txt);;All files (*.*)"));
}

QTEST_GUILESS_MAIN(tst_FormGeometry)
#include "tst_formgeometry.moc"
