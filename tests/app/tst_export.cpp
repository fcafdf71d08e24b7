#include "core/budget.h"
#include "core/version.h"
#include "app/form1.h"
#include "app/statuspanels.h"
#include "app/texts.h"
#include "picture/picturebox.h"
#include "support/scriptedplatform.h"
#include "support/testpictures.h"
#include "windows/form2.h"
#include "windows/form3.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <QTextBrowser>

using namespace TestPictures;

namespace {

// A window with a program directory of its own and, when `picture` is given, that picture imported.
struct Session {
    QTemporaryDir programDir;
    ScriptedPlatform platform;
    std::unique_ptr<Form1> form;
    QStringList status; // every text of panel 1, in order

    explicit Session(const QString &picture = QString())
    {
        platform.directory = programDir.path();
        form = std::make_unique<Form1>(platform);
        QObject::connect(form->StatusBar, &StatusPanels::panelTextSet, [this](int panel, const QString &text) {
            if (panel == 1)
                status << text;
        });
        form->Form_Load();
        if (!picture.isEmpty()) {
            platform.openAnswers << picture;
            form->Cmd_loadpic_Click();
            form->Timer_formfresh_Timer();
        }
        status.clear();
    }
    QString file(const QString &name) const { return programDir.filePath(name); }
    int pixelReads() const
    {
        return int(status.filter(Texts::readingPixels.toString() + QStringLiteral("100%")).size());
    }
};

} // namespace

class tst_Export : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void noPictureOnlyChangesTheStatus();
    void exportsTheWorkedExample_data();
    void exportsTheWorkedExample();
    void statusAndViewerOrder();
    void twoExportsReadThePixelsOnce_data();
    void twoExportsReadThePixelsOnce();
    void conversionBetweenExportsReadsAgain();
    void failedWriteKeepsWhatWasThere();
    void longerCodeHexIsCut();
    void fullDiskKeepsTheOldFile();
    void unbuildableDataWritesNothing();
    void openViewerShowsTheNewExport();
    void aboutWindowIsOne();
    void inspectorBeforeAnyPicture();
    void inspectorClickAndKeys();
    void exportHidesTheMarker();
    void exitClosesEveryWindow();

private:
    QTemporaryDir pictures;
    QString example;
};

void tst_Export::initTestCase()
{
    example = pictures.filePath(QStringLiteral("t.bmp"));
    QVERIFY(writeFile(example, encodeBmp(workedExample(), 24)));
}

void tst_Export::noPictureOnlyChangesTheStatus()
{
    Session s;
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.status, QStringList{QStringLiteral("您还没有导入图片吧？")});
    QVERIFY(s.platform.messages.isEmpty());
    QVERIFY(!s.form->codeViewer());
    QVERIFY(QDir(s.programDir.path()).isEmpty());
}

void tst_Export::exportsTheWorkedExample_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");
    QTest::newRow("A51") << 0 << "code.txt" << workedExampleText(false, example).toUtf8()
                         << QStringLiteral("51代码已经生成！写入文件：");
    QTest::newRow("C51") << 1 << "code.txt" << workedExampleText(true, example).toUtf8()
                         << QStringLiteral("51代码已经生成！写入文件：");
    QTest::newRow("HEX") << 2 << "code.hex" << QByteArray("\x81\xFF\x00\x0A", 4)
                         << QStringLiteral("Hex代码已经生成！写入文件：");
}

void tst_Export::exportsTheWorkedExample()
{
    QFETCH(int, format);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    Session s(example);
    QRadioButton *options[] = {s.form->Option_a51, s.form->Option_c51, s.form->Option_Hex};
    options[format]->setChecked(true);
    s.form->Cmd_outputcode_Click();

    const QString path = s.file(fileName);
    QCOMPARE(readFile(path), content);
    QCOMPARE(QDir(s.programDir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(s.platform.messages[0].text, message + QStringLiteral("\r\n【") + path + QStringLiteral("】"));
    QCOMPARE(s.platform.messages[0].title, QStringLiteral("信息提示！"));
    QVERIFY(s.platform.messages[0].icon == MessageIcon::Information);
    QVERIFY(s.form->codeViewer());
    QCOMPARE(s.form->codeViewer()->RTextBox->toPlainText(),
             QString(s.form->codetext).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (format == 2)
        QCOMPARE(s.form->codetext, QStringLiteral("81 FF \r\n00 0A \r\n")); // the viewer shows the listing
    QCOMPARE(s.form->statusText(1), Texts::ready.toString());
}

void tst_Export::statusAndViewerOrder()
{
    Session s(example);
    QString statusDuringBox;
    bool viewerDuringBox = true;
    s.platform.whileMessageShown = [&](const ScriptedPlatform::Message &) {
        statusDuringBox = s.form->statusText(1);
        viewerDuringBox = s.form->codeViewer() != nullptr;
    };
    s.form->Cmd_outputcode_Click();
    QCOMPARE(statusDuringBox, Texts::ready.toString());
    QVERIFY(!viewerDuringBox);
    QVERIFY(s.form->codeViewer());
    const QString a51 = Texts::writingA51.toString();
    QCOMPARE(s.status.mid(s.status.indexOf(a51 + QStringLiteral("50%"))),
             (QStringList{a51 + QStringLiteral("50%"), a51 + QStringLiteral("100%"), Texts::preparingWrite.toString(),
                          Texts::ready.toString()}));
}

void tst_Export::twoExportsReadThePixelsOnce_data()
{
    QTest::addColumn<int>("format");  // of the three options, in the window's order
    QTest::addColumn<qint64>("held"); // what an export of the worked example holds: its pixel table and its code
    QTest::newRow("A51") << 0 << qint64(2180);
    QTest::newRow("C51") << 1 << qint64(2216);
    QTest::newRow("hex") << 2 << qint64(240);
}

// On a budget of exactly what one export holds, the next export gives the last one's code back before it makes
// its own.
void tst_Export::twoExportsReadThePixelsOnce()
{
    QFETCH(int, format);
    QFETCH(qint64, held);
    Session s(example);
    QList<QRadioButton *>{s.form->Option_a51, s.form->Option_c51, s.form->Option_Hex}[format]->setChecked(true);
    s.form->limits.budget = std::make_shared<Budget>(held);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.form->limits.budget->held(), held);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.pixelReads(), 1);
    s.form->Cmd_convert_Click(); // and the table read again gives the old one's bytes back first
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.pixelReads(), 2);
    QCOMPARE(s.platform.messages.size(), 3);
    for (const auto &message : s.platform.messages)
        QVERIFY(message.icon == MessageIcon::Information);
    QVERIFY(s.form->pixelinfoready);
}

void tst_Export::conversionBetweenExportsReadsAgain()
{
    const QString grey = pictures.filePath(QStringLiteral("grey.bmp"));
    QVERIFY(writeFile(grey, encodeBmp(solid(8, 2, qRgb(100, 100, 100)), 24)));
    Session s(grey);
    s.form->Option_Hex->setChecked(true);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(readFile(s.file(QStringLiteral("code.hex"))), QByteArray(2, '\0')); // grey is not black
    s.form->Cmd_convert_Click();
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.pixelReads(), 2);
    QCOMPARE(readFile(s.file(QStringLiteral("code.hex"))), QByteArray(2, '\xFF'));
}

void tst_Export::failedWriteKeepsWhatWasThere()
{
    Session s(example);
    QVERIFY(QDir().mkdir(s.file(QStringLiteral("code.txt"))));
    QVERIFY(writeFile(s.file(QStringLiteral("code.txt/inside")), "kept"));
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.platform.messages.size(), 1);
    QCOMPARE(s.platform.messages[0].title, QStringLiteral("Tessaline"));
    QVERIFY(s.platform.messages[0].icon == MessageIcon::Warning);
    QVERIFY(s.platform.messages[0].text.contains(s.file(QStringLiteral("code.txt"))));
    QCOMPARE(s.form->statusText(1), Texts::preparingWrite.toString());
    QVERIFY(s.form->codeViewer());
    QCOMPARE(readFile(s.file(QStringLiteral("code.txt/inside"))), QByteArray("kept"));
    QCOMPARE(QDir(s.programDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.txt")});
}

void tst_Export::longerCodeHexIsCut()
{
    Session s(example);
    QVERIFY(writeFile(s.file(QStringLiteral("code.hex")), QByteArray(100, 'x')));
    s.form->Option_Hex->setChecked(true);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(readFile(s.file(QStringLiteral("code.hex"))), QByteArray("\x81\xFF\x00\x0A", 4));
}

void tst_Export::fullDiskKeepsTheOldFile()
{
    Session s(example);
    QVERIFY(writeFile(s.file(QStringLiteral("code.txt")), "old"));
    // A file size limit makes the write fail the way a full disk does, after the file was opened.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{100, saved.rlim_max};
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    s.form->Cmd_outputcode_Click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    QCOMPARE(s.platform.messages.size(), 1);
    QVERIFY(s.platform.messages[0].icon == MessageIcon::Warning);
    QCOMPARE(s.platform.messages[0].title, QStringLiteral("Tessaline"));
    QCOMPARE(readFile(s.file(QStringLiteral("code.txt"))), QByteArray("old"));
    QCOMPARE(QDir(s.programDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{QStringLiteral("code.txt")});
    QCOMPARE(s.form->statusText(1), Texts::preparingWrite.toString());
    QVERIFY(s.form->codeViewer());
}

void tst_Export::unbuildableDataWritesNothing()
{
    Session s(example);
    s.form->Cmd_outputcode_Click();
    const QByteArray first = readFile(s.file(QStringLiteral("code.txt")));
    // A table left from another picture (the window never lets this happen; the export must not trust it).
    s.form->PicBOX->surface().setPicture(solid(24, 3, qRgb(0, 0, 0)));
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.platform.messages.size(), 2);
    QCOMPARE(s.platform.messages[1].title, QStringLiteral("Tessaline"));
    QVERIFY(s.platform.messages[1].icon == MessageIcon::Warning);
    QCOMPARE(readFile(s.file(QStringLiteral("code.txt"))), first);
    QCOMPARE(s.form->statusText(1), Texts::preparingWrite.toString());
    QVERIFY(!s.form->pixelinfoready);
    s.form->Cmd_outputcode_Click(); // read again: now it works
    QCOMPARE(s.platform.messages.size(), 3);
    QVERIFY(s.platform.messages[2].icon == MessageIcon::Information);
    const QByteArray second = readFile(s.file(QStringLiteral("code.txt")));
    QVERIFY(second.contains("图片宽度：24"));
    // The road refuses: the code would pass the window's budget. Its failure path, and nothing written.
    const std::shared_ptr<Budget> budget = s.form->limits.budget;
    s.form->limits.budget = std::make_shared<Budget>(300);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.platform.messages.size(), 4);
    QCOMPARE(s.platform.messages[3].text,
             Texts::outOfMemory.toString() + QStringLiteral("\r\n需要 1816 字节内存，超过上限 300 字节。"));
    QVERIFY(s.platform.messages[3].icon == MessageIcon::Warning);
    QCOMPARE(readFile(s.file(QStringLiteral("code.txt"))), second);
    QCOMPARE(s.form->statusText(1), Texts::preparingWrite.toString());
    s.form->limits.budget = budget;
    s.form->Option_Hex->setChecked(true); // and the pixel read, when the table is stale
    s.form->pixelinfoready = false;
    s.form->limits.budget = std::make_shared<Budget>(10);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.platform.messages.size(), 5);
    QVERIFY(s.platform.messages[4].text.startsWith(Texts::outOfMemory.toString() + QStringLiteral("\r\n")));
    QVERIFY(!QFileInfo::exists(s.file(QStringLiteral("code.hex"))));
}

void tst_Export::openViewerShowsTheNewExport()
{
    Session s(example);
    s.form->Cmd_outputcode_Click();
    Form2 *viewer = s.form->codeViewer();
    QVERIFY(viewer->RTextBox->toPlainText().startsWith(u';'));
    s.form->Option_c51->setChecked(true);
    s.form->Cmd_outputcode_Click();
    QCOMPARE(s.form->codeViewer(), viewer);
    QVERIFY(viewer->RTextBox->toPlainText().startsWith(QStringLiteral("/*")));

    QPointer<Form2> closed = viewer;
    viewer->Cmd_closewindow_Click();
    QTRY_VERIFY(closed.isNull());
    s.form->Option_Hex->setChecked(true);
    s.form->Cmd_outputcode_Click();
    QVERIFY(s.form->codeViewer());
    QCOMPARE(s.form->codeViewer()->RTextBox->toPlainText(), QStringLiteral("81 FF \n00 0A \n"));
}

void tst_Export::aboutWindowIsOne()
{
    Session s;
    s.form->Cmd_about_Click();
    Form3 *about = s.form->aboutWindow();
    QVERIFY(about && about->isVisible());
    QVERIFY((about->frameGeometry().center() - s.form->frameGeometry().center()).manhattanLength() <= 4);
    s.form->Cmd_about_Click();
    QCOMPARE(s.form->aboutWindow(), about);
    int windows = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        windows += qobject_cast<Form3 *>(w) != nullptr;
    QCOMPARE(windows, 1);
    const QString text = about->RTBox_about->toHtml();
    about->Command1_Click();
    QTRY_VERIFY(!s.form->aboutWindow());
    s.form->Cmd_about_Click();
    QCOMPARE(s.form->aboutWindow()->RTBox_about->toHtml(), text);
}

void tst_Export::inspectorBeforeAnyPicture()
{
    Session s;
    s.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form.get()));
    QTest::mouseClick(s.form->PicBOX, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(s.form->statusText(1), QStringLiteral("请您导入图片进行处理！"));
    QVERIFY(!s.form->PicBOX->Shape_Position.Visible);
    s.status.clear();
    QTest::keyClick(s.form->PicBOX, Qt::Key_Left);
    QVERIFY(s.status.isEmpty());
    QCOMPARE(s.form->posx, short(0));
}

void tst_Export::inspectorClickAndKeys()
{
    const QString wide = pictures.filePath(QStringLiteral("w400.bmp"));
    QVERIFY(writeFile(wide, encodeBmp(solid(400, 300, qRgb(255, 255, 255)), 24)));
    Session s(wide);
    s.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(s.form.get()));
    QVERIFY(s.form->PicBOX->hasFocus());
    QTest::keyClick(s.form->PicBOX, Qt::Key_Right); // before any click, from the top left pixel
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:1,0 写入位置:0,0  首字节RAM地址：&H0"));
    const int border = PictureSurface::borderPixels;
    QTest::mouseClick(s.form->PicBOX, Qt::RightButton, Qt::ShiftModifier, QPoint(100 + border, 20 + border));
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:100,20 写入位置:12,20  首字节RAM地址：&H3F4"));
    const Shape &marker = s.form->PicBOX->Shape_Position;
    QVERIFY(marker.Visible);
    QCOMPARE(marker.Left, 96.0f);
    QCOMPARE(marker.Top, 20.0f);
    const QImage shown = s.form->PicBOX->grab().toImage(); // the marker over the white picture, where it is
    QCOMPARE(shown.pixel(border + 96, border + 20), rgbFromColour(marker.BackColor) | 0xFF000000);
    QCOMPARE(shown.pixel(border + 96, border + 19), qRgb(255, 255, 255));

    QTest::keyClick(s.form->PicBOX, Qt::Key_Down);
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:100,21 写入位置:12,21  首字节RAM地址：&H426"));
    QTest::keyClick(s.form->PicBOX, Qt::Key_Space);
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:100,21 写入位置:12,21  首字节RAM地址：&H426"));
    QTest::mouseClick(s.form->PicBOX, Qt::LeftButton, {}, QPoint(1, 1)); // the border selects nothing
    QTest::mouseClick(s.form->PicBOX, Qt::LeftButton, {}, QPoint(400 + border, 20));
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:100,21 写入位置:12,21  首字节RAM地址：&H426"));

    QTest::mouseClick(s.form->PicBOX, Qt::LeftButton, {}, QPoint(border, border));
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(s.form->PicBOX, Qt::Key_Left);
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:-5,0 写入位置:-1,0  首字节RAM地址：&HFFFFFFFF"));
    QCOMPARE(marker.Left, -8.0f);

    const Colour before = marker.BackColor;
    s.form->Timer_Timer();
    QVERIFY(marker.BackColor != before);
    s.form->Timer_Timer();
    QCOMPARE(marker.BackColor, before);
}

void tst_Export::exportHidesTheMarker()
{
    Session s(example);
    s.form->PicBOX_MouseDown(Qt::LeftButton, {}, 3, 1);
    QVERIFY(s.form->PicBOX->Shape_Position.Visible);
    s.form->Cmd_outputcode_Click();
    QVERIFY(!s.form->PicBOX->Shape_Position.Visible);
    s.form->PicBOX_KeyUp(39, {});
    QCOMPARE(s.form->statusText(1), QStringLiteral("X,Y:4,1 写入位置:0,1  首字节RAM地址：&H2"));
    QVERIFY(!s.form->PicBOX->Shape_Position.Visible);
    const Colour colour = s.form->PicBOX->Shape_Position.BackColor;
    s.form->Timer_Timer(); // a hidden marker does not blink
    QCOMPARE(s.form->PicBOX->Shape_Position.BackColor, colour);
    s.form->PicBOX_MouseDown(Qt::LeftButton, {}, 4, 1);
    QVERIFY(s.form->PicBOX->Shape_Position.Visible);
}

void tst_Export::exitClosesEveryWindow()
{
    Session s(example);
    s.form->Cmd_outputcode_Click();
    s.form->Cmd_about_Click();
    QPointer<Form2> viewer = s.form->codeViewer();
    QPointer<Form3> about = s.form->aboutWindow();
    s.form->Cmd_exit_Click();
    QTRY_VERIFY(viewer.isNull());
    QTRY_VERIFY(about.isNull());
    QCOMPARE(s.platform.endCalls, 1);
}

QTEST_MAIN(tst_Export)
#include "tst_export.moc"
