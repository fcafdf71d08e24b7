#include "core/version.h"
#include "app/form1.h"
#include "app/qtplatform.h"
#include "app/statuspanels.h"
#include "app/texts.h"
#include "picture/picture.h"
#include "picture/picturebox.h"
#include "support/models.h"
#include "support/windowfit.h"
#include "support/badinputs.h"
#include "support/refusals.h"
#include "support/scriptedplatform.h"
#include "support/testpictures.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace TestPictures;

namespace {

const QString widthMessage = Texts::widthRefused.toString();
const QString title = Texts::messageTitle.toString();
const QString ready = Texts::ready.toString();

// Counts the paint events a widget receives.
class PaintCount : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class tst_Form1 : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void controlsAndStartValues();
    void startUp_data();
    void startUp();
    void commandLineIsOnePath();
    void importCancelled();
    void importAccepted();
    void importRefusedByWidth_data();
    void importRefusedByWidth();
    void importUndecodable();
    void badInputsLeaveTheWindowAlone_data();
    void badInputsLeaveTheWindowAlone();
    void fitAfterImport_data();
    void fitAfterImport();
    void tooLargeForScreen();
    void exactlyTheUsableSizePasses();
    void fitTimerStopsBeforeTheFit();
    void windowTakesTheFittedSize();
    void clockTexts();
    void conversionProgress();
    void exitAndCloseBox();
    void realPlatform();

private:
    QString picture(const QString &name, const QImage &image);
    QTemporaryDir dir;
};

QString tst_Form1::picture(const QString &name, const QImage &image)
{
    const QString path = dir.filePath(name);
    if (!writeFile(path, encodeBmp(image, 24)))
        qFatal("cannot write a test picture");
    return path;
}

void tst_Form1::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_Form1::controlsAndStartValues()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    QCOMPARE(form.windowTitle(), QStringLiteral("Tessaline V" TESSALINE_VERSION));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(form.Cmd_loadpic->text(), QStringLiteral("导入图片..."));
    QCOMPARE(form.Cmd_convert->text(), QStringLiteral("彩色>>黑白..."));
    QCOMPARE(form.Cmd_outputcode->text(), QStringLiteral("导出代码..."));
    QCOMPARE(form.Option_a51->text(), QStringLiteral("A51格式"));
    QCOMPARE(form.Option_c51->text(), QStringLiteral("C51格式"));
    QCOMPARE(form.Option_Hex->text(), QStringLiteral("Hex格式"));
    QCOMPARE(form.Cmd_about->text(), QStringLiteral("关于软件"));
    QCOMPARE(form.Cmd_exit->text(), QStringLiteral("退出"));
    QVERIFY(form.Option_a51->isChecked());
    QVERIFY(!form.Option_c51->isChecked() && !form.Option_Hex->isChecked());
    // Positions in the frame, twips at 15 a pixel.
    QCOMPARE(form.Cmd_convert->geometry(), QRect(8, 40, 113, 25));
    QCOMPARE(form.Option_Hex->geometry(), QRect(32, 128, 65, 12));
    QCOMPARE(form.Frame->size(), QSize(129, 217));
    QCOMPARE(form.PicBOX->geometry(), QRect(8, 8, 404, 304));
    QVERIFY(showsPicture(form.PicBOX->surface())); // the title picture
    // Its sunken edge, two lines deep: grey, then dark, above and left to the last pixel but one; white below and
    // right.
    const QImage edge = form.PicBOX->grab().toImage();
    const int r = edge.width() - 1, b = edge.height() - 1;
    const struct {
        int x, y;
        QRgb colour;
    } edges[] = {{r - 1, 0, 0x808080}, {0, b - 1, 0x808080}, {r - 1, 1, 0x404040},
                 {1, b - 1, 0x404040}, {r, 1, 0xFFFFFF},     {1, b, 0xFFFFFF},
                 {0, 1, 0x808080},     {1, 0, 0x808080}}; // the dark line from the grey one's second pixel
    for (const auto &e : edges)
        QCOMPARE(edge.pixel(e.x, e.y) & 0xFFFFFF, e.colour);
    // A new picture of the box's size is painted too, though the box keeps its size.
    PictureBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    PaintCount paints;
    box.installEventFilter(&paints);
    box.surface().setPicture(solid(400, 300, qRgb(0, 0, 0)));
    box.refresh();
    QTRY_COMPARE(paints.paints, 1);
    QCOMPARE(form.Timer->interval(), 500);
    QVERIFY(form.Timer->isActive());
    QCOMPARE(form.Timer_formfresh->interval(), 250);
    QVERIFY(!form.Timer_formfresh->isActive());

    form.Form_Load();
    QCOMPARE(form.margins.framegap, short(120));
    QCOMPARE(form.margins.rightmargin, short(120));
    QCOMPARE(form.margins.bottommargin, short(360));
    QCOMPARE(form.whitecolor, Colour(0xFFFFFF));
    QCOMPARE(form.blackcolor, Colour(0));
    QVERIFY(!form.pixelinfoready);
    // Tab order: picture box, then the frame's controls in their order.
    const QList<QWidget *> controls{form.Cmd_loadpic, form.Cmd_convert,    form.Option_Hex, form.Option_c51,
                                    form.Option_a51,  form.Cmd_outputcode, form.Cmd_about,  form.Cmd_exit};
    QList<QWidget *> order;
    for (QWidget *w = form.PicBOX->nextInFocusChain(); w != form.PicBOX; w = w->nextInFocusChain())
        if (controls.contains(w))
            order << w;
    QCOMPARE(order, (QList<QWidget *>{form.Cmd_loadpic, form.Cmd_convert, form.Option_Hex, form.Option_c51,
                                      form.Option_a51, form.Cmd_outputcode, form.Cmd_about, form.Cmd_exit}));
}

void tst_Form1::startUp_data()
{
    QTest::addColumn<QString>("argument"); // a picture of the size named, "missing", or none
    QTest::addColumn<QSize>("usable");     // the screen's usable pixels
    QTest::addColumn<QString>("message");  // the one message box, or none; %1 the path
    QTest::addColumn<bool>("kept");        // the picture shown, and named by picfile, after the first fit
    QTest::addColumn<float>("width");      // the window's width after the first fit, in twips
    const QSize screen(1280, 1024);
    QTest::newRow("no argument: the default layout") << QString() << screen << QString() << false << 8475.0f;
    QTest::newRow("128 x 320: fitted at the first tick")
        << QStringLiteral("128x320") << screen << QString() << true << 15.0f * 128 + 2475;
    QTest::newRow("100 wide: refused by width")
        << QStringLiteral("100x320") << screen << widthMessage << false << 8475.0f;
    QTest::newRow("missing: the default picture stays")
        << QStringLiteral("missing") << screen << QStringLiteral("无法读取图片文件：【%1】\r\n文件不存在。") << false
        << 8475.0f;
    QTest::newRow("640 x 2000 on 1024 x 768: too large")
        << QStringLiteral("640x2000") << QSize(1024, 768) << Texts::tooLarge.toString() << false << 8475.0f;
}

void tst_Form1::startUp()
{
    QFETCH(QString, argument);
    QFETCH(QSize, usable);
    QFETCH(QString, message);
    QFETCH(bool, kept);
    QFETCH(float, width);
    ScriptedPlatform platform;
    platform.usable = QRectF(0, 0, usable.width() * 15, usable.height() * 15);
    const QSize size = QSize(argument.section(u'x', 0, 0).toInt(), argument.section(u'x', 1).toInt());
    if (argument == u"missing")
        platform.arguments = dir.filePath(QStringLiteral("missing.bmp"));
    else if (!argument.isEmpty())
        platform.arguments = picture(argument + QStringLiteral(".bmp"), solid(size.width(), size.height(), 0));
    Form1 form(platform);
    bool shownDuringMessage = false;
    platform.whileMessageShown = [&](const ScriptedPlatform::Message &) { shownDuringMessage = form.isVisible(); };
    form.Form_Load();
    QCOMPARE(form.formGeometry.Width(), 8475.0f); // not fitted before the first tick
    QCOMPARE(form.Timer_formfresh->isActive(), !platform.arguments.isEmpty());
    form.Timer_formfresh_Timer();
    QCOMPARE(platform.messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(platform.messages[0].text, message.arg(platform.arguments));
        QCOMPARE(platform.messages[0].title, title);
        QVERIFY(platform.messages[0].icon == MessageIcon::Information);
        QVERIFY(!shownDuringMessage);
    }
    QCOMPARE(form.picfile, kept ? platform.arguments : QString()); // a refused path is never taken over
    QVERIFY(!form.cmdlinepic);
    QCOMPARE(form.formGeometry.Width(), width);
    // The default picture stays where nothing was loaded; a refused picture leaves the box empty, 6060 twips.
    QCOMPARE(showsPicture(form.PicBOX->surface()), kept || argument.isEmpty() || argument == u"missing");
    if (kept) {
        QCOMPARE(form.loadfile, platform.arguments);
        QCOMPARE(form.formGeometry.Height(), 15.0f * size.height() + 960);
        QCOMPARE(form.PicBOX->surface().ScaleWidth(), double(size.width()));
    } else {
        QCOMPARE(form.formGeometry.frameLeft(), 6300.0f);
        QCOMPARE(form.formGeometry.frameTop(), 1425.0f);
    }
}

void tst_Form1::commandLineIsOnePath()
{
    const QString spaced = picture(QStringLiteral("my picture 1.bmp"), solid(16, 2, qRgb(0, 0, 0)));
    ScriptedPlatform platform;
    platform.arguments = spaced;
    Form1 form(platform);
    form.Form_Load();
    QCOMPARE(form.picfile, spaced);
    QVERIFY(platform.messages.isEmpty());

    ScriptedPlatform quoted;
    quoted.arguments = u'"' + spaced + u'"'; // the quotes are part of the path
    Form1 second(quoted);
    second.Form_Load();
    QCOMPARE(quoted.messages.size(), 1);
    QVERIFY(quoted.messages[0].text.contains(quoted.arguments));
    QVERIFY(second.picfile.isEmpty());
}

void tst_Form1::importCancelled()
{
    ScriptedPlatform platform;
    platform.arguments = picture(QStringLiteral("a.bmp"), solid(16, 2, qRgb(0, 0, 0)));
    Form1 form(platform);
    form.Form_Load();
    form.Timer_formfresh_Timer();
    form.pixelinfoready = true;
    platform.openAnswers << QString();
    form.Cmd_loadpic_Click();
    QCOMPARE(platform.dialogsShown.size(), 1);
    QCOMPARE(platform.dialogsShown[0].FileName, QString());
    QCOMPARE(platform.dialogsShown[0].Filter,
             QStringLiteral("Pictures (*.bmp;*.jpeg;*.jpg;*.gif)|*.bmp;*.jpeg;*.jpg;*.gif"));
    QCOMPARE(form.picfile, platform.arguments);
    QVERIFY(form.loadfile.isEmpty());
    QCOMPARE(form.PicBOX->surface().ScaleWidth(), 16.0);
    QVERIFY(!form.pixelinfoready);
    QVERIFY(form.Timer_formfresh->isActive());
    QVERIFY(!form.formfreshed);
}

void tst_Form1::importAccepted()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    const QString path = picture(QStringLiteral("b.bmp"), solid(400, 8, qRgb(0, 0, 0)));
    platform.openAnswers << path;
    form.Cmd_loadpic_Click();
    QCOMPARE(form.picfile, path);
    QCOMPARE(form.loadfile, path);
    QCOMPARE(form.PicBOX->surface().ScaleWidth(), 400.0);
    QCOMPARE(form.PicBOX->surface().ScaleHeight(), 8.0);
    QVERIFY(platform.messages.isEmpty());
    QVERIFY(form.Timer_formfresh->isActive());
}

void tst_Form1::importRefusedByWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("401") << 401;
    QTest::newRow("404") << 404;
}

void tst_Form1::importRefusedByWidth()
{
    QFETCH(int, width);
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    const QString good = picture(QStringLiteral("good.bmp"), solid(64, 400, qRgb(0, 0, 0)));
    platform.openAnswers << good << picture(QStringLiteral("bad.bmp"), solid(width, 10, qRgb(0, 0, 0)));
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QCOMPARE(form.formGeometry.Width(), 3435.0f);

    form.PicBOX_MouseDown(Qt::LeftButton, {}, 1, 1); // a read-out, which the reset replaces
    QString statusDuringMessage;
    platform.whileMessageShown = [&](const ScriptedPlatform::Message &) { statusDuringMessage = form.statusText(1); };
    form.Cmd_loadpic_Click();
    QCOMPARE(platform.dialogsShown[1].FileName, QString()); // the first answer does not stay in the dialog
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text, widthMessage);
    QCOMPARE(statusDuringMessage, ready);
    QVERIFY(!showsPicture(form.PicBOX->surface()));
    QCOMPARE(form.PicBOX->surface().Width(), 6060.0f);
    QCOMPARE(form.PicBOX->surface().Height(), 4560.0f);
    QVERIFY(form.picfile.isEmpty());
    QVERIFY(form.loadfile.isEmpty());
    QCOMPARE(form.formGeometry.Width(), 8475.0f); // reset at once, before the refit
    QVERIFY(form.Timer_formfresh->isActive());
    form.Timer_formfresh_Timer();
    QCOMPARE(form.formGeometry.Width(), 8475.0f);
}

void tst_Form1::importUndecodable()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    const QString good = picture(QStringLiteral("good2.bmp"), solid(64, 400, qRgb(0, 0, 0)));
    const QString text = dir.filePath(QStringLiteral("notes.bmp"));
    QVERIFY(writeFile(text, "just text"));
    platform.openAnswers << good << text;
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    form.Cmd_loadpic_Click();
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text,
             QStringLiteral("无法读取图片文件：【") + text + QStringLiteral("】\r\n文件不是可读取的图片，或已损坏。"));
    QCOMPARE(platform.messages[0].title, title);
    QCOMPARE(form.picfile, good);
    QCOMPARE(form.PicBOX->surface().ScaleWidth(), 64.0);
    QVERIFY(!form.pixelinfoready);
    form.Timer_formfresh_Timer();
    QCOMPARE(form.formGeometry.Width(), 3435.0f);
    // Without a command line, the fit after a refused first picture takes nothing over: the name chosen stays.
    Form1 fresh(platform);
    fresh.Form_Load();
    platform.openAnswers << text;
    fresh.Cmd_loadpic_Click();
    fresh.Timer_formfresh_Timer();
    QCOMPARE(fresh.loadfile, text);
}

void tst_Form1::badInputsLeaveTheWindowAlone_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Refusal::Rule>("rule");
    for (const BadInputs::BadInput &bad : BadInputs::make(dir.filePath(QStringLiteral("bad"))))
        QTest::newRow(qPrintable(bad.name)) << bad.path << bad.rule;
}

void tst_Form1::badInputsLeaveTheWindowAlone()
{
    QFETCH(QString, path);
    QFETCH(Refusal::Rule, rule);
    const Refusal why = LoadPicture(path, Limits::window()).refusal;
    QVERIFY2(why.rule == rule, qPrintable(describe(why)));
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    const QString good = picture(QStringLiteral("kept.bmp"), solid(64, 400, qRgb(0, 0, 0)));
    platform.openAnswers << good << path;
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    const QImage before = form.PicBOX->surface().image();
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QCOMPARE(platform.messages.size(), 1);
    // The message, and below it the refusal's facts in the window's words: the numbers of a limit passed.
    const QStringList lines = platform.messages[0].text.split(QStringLiteral("\r\n"));
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QStringLiteral("无法读取图片文件：【") + path + QStringLiteral("】"));
    QVERIFY2(why.kind() != Refusal::Kind::OverLimit || lines[1].contains(QString::number(why.limit)),
             qPrintable(lines[1]));
    QCOMPARE(platform.messages[0].title, title);
    QCOMPARE(form.picfile, good);
    QCOMPARE(form.PicBOX->surface().image(), before);
    QCOMPARE(form.formGeometry.Width(), 3435.0f);
    QCOMPARE(form.formGeometry.Height(), 6960.0f);
}

void tst_Form1::fitAfterImport_data()
{
    addWindowFitRows();
}

void tst_Form1::fitAfterImport()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(float, frameLeft);
    QFETCH(float, frameTop);
    QFETCH(float, formWidth);
    QFETCH(float, formHeight);
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    platform.openAnswers << picture(QStringLiteral("fit.bmp"), solid(width, height, qRgb(0, 0, 0)));
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(form.formGeometry.frameLeft(), frameLeft);
    QCOMPARE(form.formGeometry.frameTop(), frameTop);
    QCOMPARE(form.formGeometry.Width(), formWidth);
    QCOMPARE(form.formGeometry.Height(), formHeight);
    QCOMPARE(form.formGeometry.Left(), (19200 - formWidth) / 2);
    QCOMPARE(form.formGeometry.Top(), (15360 - formHeight) / 2);
    QCOMPARE(form.PicBOX->size(), QSize(width + 4, height + 4));
    QCOMPARE(form.Frame->pos(), QPoint(pixelsFromTwips(frameLeft), pixelsFromTwips(frameTop)));
}

void tst_Form1::tooLargeForScreen()
{
    ScriptedPlatform platform;
    platform.screen = QSizeF(1024 * 15, 768 * 15);
    platform.usable = QRectF(0, 0, 1024 * 15, 768 * 15);
    Form1 form(platform);
    form.Form_Load();
    const QString huge = picture(QStringLiteral("huge.bmp"), solid(640, 2000, qRgb(0, 0, 0)));
    platform.openAnswers << huge;
    form.Cmd_loadpic_Click();
    QCOMPARE(form.picfile, huge); // passes the width check; the fit refuses it
    QString statusDuringMessage;
    platform.whileMessageShown = [&](const ScriptedPlatform::Message &) { statusDuringMessage = form.statusText(1); };
    form.Timer_formfresh_Timer();
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(platform.messages[0].text,
             QStringLiteral("您导入的图片太大，已经超过显示分辨率。请调整到足够的分辨率，然后重新导入图片！"));
    QCOMPARE(platform.messages[0].title, title);
    QCOMPARE(statusDuringMessage, ready);
    QVERIFY(form.picfile.isEmpty());
    QVERIFY(!showsPicture(form.PicBOX->surface()));
    QCOMPARE(form.formGeometry.Width(), 8475.0f);
    QCOMPARE(form.formGeometry.Height(), 5460.0f);
    QCOMPARE(form.formGeometry.Left(), (15360.0f - 8475) / 2);
    QCOMPARE(form.formGeometry.frameTop(), 1425.0f);
    QVERIFY(form.formfreshed);

    // The user raises the resolution and imports again, without a restart.
    platform.screen = QSizeF(1280 * 15, 2100 * 15);
    platform.usable = QRectF(0, 0, 1280 * 15, 2100 * 15);
    platform.openAnswers << huge;
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QCOMPARE(platform.messages.size(), 1);
    QCOMPARE(form.formGeometry.Height(), 15.0f * 2000 + 960);
    QCOMPARE(form.formGeometry.Top(), (2100 * 15 - form.formGeometry.Height()) / 2);
}

void tst_Form1::exactlyTheUsableSizePasses()
{
    ScriptedPlatform platform;
    platform.usable = QRectF(0, 0, 8475, 6960); // what a 400 x 400 picture asks for
    Form1 form(platform);
    form.Form_Load();
    platform.openAnswers << picture(QStringLiteral("exact.bmp"), solid(400, 400, qRgb(0, 0, 0)))
                         << picture(QStringLiteral("over.bmp"), solid(400, 401, qRgb(0, 0, 0)));
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QVERIFY(platform.messages.isEmpty());
    QCOMPARE(form.formGeometry.Height(), 6960.0f);
    form.Cmd_loadpic_Click();
    form.Timer_formfresh_Timer();
    QCOMPARE(platform.messages.size(), 1);
}

void tst_Form1::fitTimerStopsBeforeTheFit()
{
    ScriptedPlatform platform;
    platform.usable = QRectF(0, 0, 1024 * 15, 768 * 15);
    Form1 form(platform);
    form.Form_Load();
    platform.openAnswers << picture(QStringLiteral("huge2.bmp"), solid(640, 2000, qRgb(0, 0, 0)));
    form.Cmd_loadpic_Click();
    bool timerActiveDuringMessage = true;
    platform.whileMessageShown = [&](const ScriptedPlatform::Message &) {
        timerActiveDuringMessage = form.Timer_formfresh->isActive();
    };
    QTRY_COMPARE_WITH_TIMEOUT(platform.messages.size(), 1, 2000); // the real timer fires the fit
    QVERIFY(!timerActiveDuringMessage);
    QTest::qWait(600);
    QCOMPARE(platform.messages.size(), 1);
}

void tst_Form1::windowTakesTheFittedSize()
{
    ScriptedPlatform platform;
    platform.arguments = picture(QStringLiteral("win.bmp"), solid(64, 400, qRgb(0, 0, 0)));
    Form1 form(platform);
    form.Form_Load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.frameGeometry().size(), QSize(565, 364));
    // The message panel takes what the time and the date leave: the date ends at the bar's right edge.
    const QList<QLabel *> panels = form.StatusBar->findChildren<QLabel *>();
    QCOMPARE(panels.size(), 3);
    QCOMPARE(panels.last()->geometry().right(), form.StatusBar->width() - 1);
    QCOMPARE(panels[1]->width(), 80); // the time's 1200 twips
    QCOMPARE(panels[2]->width(), 93); // the date's 1400
    form.Timer_formfresh_Timer();
    QCOMPARE(form.frameGeometry().size(), QSize(229, 464)); // 3435 x 6960 twips
    QCOMPARE(form.frameGeometry().topLeft(),
             QPoint(pixelsFromTwips((19200 - 3435) / 2.0f), pixelsFromTwips((15360 - 6960) / 2.0f)));
    QCOMPARE(form.StatusBar->geometry().bottom(), form.height() - 1);
}

void tst_Form1::clockTexts()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    QCOMPARE(form.statusText(2), QString());
    QCOMPARE(form.statusText(3), QString());
    QTRY_COMPARE_WITH_TIMEOUT(form.statusText(2), QStringLiteral("14:05:09"), 2000); // Timer ticks by itself
    form.Timer_Timer();
    QCOMPARE(form.statusText(2), QStringLiteral("14:05:09"));
    QCOMPARE(form.statusText(3), QStringLiteral("2002-11-15"));
    QCOMPARE(form.statusText(1), ready);
    platform.clock = QDateTime(QDate(2026, 12, 7), QTime(23, 59, 59));
    form.Timer_Timer();
    QCOMPARE(form.statusText(2), QStringLiteral("23:59:59"));
    QCOMPARE(form.statusText(3), QStringLiteral("2026-12-07"));
}

void tst_Form1::conversionProgress()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    QStringList texts;
    connect(form.StatusBar, &StatusPanels::panelTextSet, this, [&](int panel, const QString &text) {
        if (panel == 1)
            texts << text;
    });
    form.Cmd_convert_Click(); // no picture: nothing at all
    QVERIFY(texts.isEmpty());
    QVERIFY(showsPicture(form.PicBOX->surface()));
    QVERIFY(form.PicBOX->surface().Point(0, 0) != whiteColour && form.PicBOX->surface().Point(0, 0) != blackColour);

    platform.openAnswers << picture(QStringLiteral("colour.bmp"), solid(8, 3, qRgb(0, 255, 0)));
    form.Cmd_loadpic_Click();
    form.pixelinfoready = true;
    texts.clear();
    // Each text is painted as it is set, while the conversion holds the event loop.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    PaintCount message;
    form.StatusBar->findChildren<QLabel *>().first()->installEventFilter(&message);
    form.Cmd_convert_Click();
    const QString activity = Texts::converting.toString();
    QCOMPARE(texts, (QStringList{activity + QStringLiteral("33%"), activity + QStringLiteral("67%"),
                                 activity + QStringLiteral("100%"), ready}));
    QCOMPARE(message.paints, 4);
    QCOMPARE(form.PicBOX->surface().Point(7, 2), whiteColour);
    QVERIFY(!form.pixelinfoready);
}

void tst_Form1::exitAndCloseBox()
{
    ScriptedPlatform platform;
    Form1 form(platform);
    form.Form_Load();
    form.show();
    QTest::mouseClick(form.Cmd_exit, Qt::LeftButton);
    QCOMPARE(platform.endCalls, 1);
    QVERIFY(!form.isVisible());
    form.close(); // closed again while the program ends: it ends once
    QCOMPARE(platform.endCalls, 1);

    ScriptedPlatform other;
    Form1 second(other);
    second.Form_Load();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    second.close();
    QCOMPARE(other.endCalls, 1);
}

void tst_Form1::realPlatform()
{
    QtPlatform platform({QStringLiteral("tessaline"), QStringLiteral("my"), QStringLiteral("picture.bmp")});
    QCOMPARE(platform.commandLine(), QStringLiteral("my picture.bmp")); // the whole rest of the command line
    qputenv("SOURCE_DATE_EPOCH", "1037369109"); // for the converter's files, never the window's clock
    const QDateTime now = platform.now();
    qunsetenv("SOURCE_DATE_EPOCH");
    QVERIFY(qAbs(now.secsTo(QDateTime::currentDateTime())) < 60);
    QCOMPARE(platform.screenSize(), QSizeF(1280 * 15, 1024 * 15));
    // A message box shows its icon and words, and waits for its button.
    for (const auto &[icon, shown] : {std::pair(MessageIcon::Warning, QMessageBox::Warning),
                                      std::pair(MessageIcon::Information, QMessageBox::Information)}) {
        QMessageBox::Icon seen = QMessageBox::NoIcon;
        QString words;
        QTimer::singleShot(0, [&] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(window); box && box->isVisible()) {
                    seen = box->icon();
                    words = box->windowTitle() + u'|' + box->text();
                    box->accept();
                }
        });
        platform.messageBox(QStringLiteral("已经生成"), QStringLiteral("提示"), icon);
        QCOMPARE(seen, shown);
        QCOMPARE(words, QStringLiteral("提示|已经生成"));
    }
    // Ending the program ends its event loop (else, after 10 s, the loop ends with 1).
    QTimer stop;
    stop.callOnTimeout([] { QCoreApplication::exit(1); });
    stop.start(10000);
    QTimer::singleShot(0, [&platform] { platform.endProgram(); });
    QCOMPARE(QCoreApplication::exec(), 0);
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
