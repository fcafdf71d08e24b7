#include "form1.h"

#include "app/statuspanels.h"
#include "app/texts.h"
#include "app/twips.h"
#include "export/filesave.h"
#include "export/textencoding.h"
#include "imaging/conversion.h"
#include "inspector/inspector.h"
#include "picture/picture.h"
#include "picture/picturebox.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/framefollower.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace {

const QString defaultPicture = QStringLiteral(":/picture/resources/default.bmp");
constexpr float statusBarHeight = 255;

QRect twipsRect(float left, float top, float width, float height)
{
    return {pixelsFromTwips(left), pixelsFromTwips(top), pixelsFromTwips(width), pixelsFromTwips(height)};
}

template <typename Button>
Button *addButton(QWidget *parent, const QString &caption, QRect twips)
{
    auto *button = new Button(caption, parent);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return button;
}

} // namespace

Form1::Form1(Platform &platform, QWidget *parent)
    : QWidget(parent), platform_(platform)
{
    setWindowTitle(Texts::windowCaption.toString());
    setWindowIcon(QIcon(QStringLiteral(":/app/resources/form1.png")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    PicBOX = new PictureBox(this);
    PicBOX->move(pixelsFromTwips(FormGeometry::boxLeft), pixelsFromTwips(FormGeometry::boxTop));
    PicBOX->surface().setPicture(LoadPicture(defaultPicture).picture);
    PicBOX->refresh();

    Frame = new QGroupBox(this);
    Frame->setGeometry(twipsRect(6360, 1440, FormGeometry::frameWidth, FormGeometry::frameHeight));
    Cmd_loadpic = addButton<QPushButton>(Frame, QStringLiteral("导入图片..."), {120, 240, 1695, 375});
    Cmd_convert = addButton<QPushButton>(Frame, QStringLiteral("彩色>>黑白..."), {120, 600, 1695, 375});
    Cmd_outputcode = addButton<QPushButton>(Frame, QStringLiteral("导出代码..."), {120, 960, 1695, 375});
    Option_a51 = addButton<QRadioButton>(Frame, QStringLiteral("A51格式"), {480, 1440, 1095, 255});
    Option_c51 = addButton<QRadioButton>(Frame, QStringLiteral("C51格式"), {480, 1710, 1095, 180});
    Option_Hex = addButton<QRadioButton>(Frame, QStringLiteral("Hex格式"), {480, 1920, 975, 180});
    Cmd_about = addButton<QPushButton>(Frame, QStringLiteral("关于软件"), {120, 2400, 1695, 375});
    Cmd_exit = addButton<QPushButton>(Frame, QStringLiteral("退出"), {120, 2760, 1695, 375});
    Option_a51->setChecked(true);

    StatusBar = new StatusPanels(this);

    setTabOrder(PicBOX, Cmd_loadpic);
    setTabOrder(Cmd_loadpic, Cmd_convert);
    setTabOrder(Cmd_convert, Option_Hex);
    setTabOrder(Option_Hex, Option_c51);
    setTabOrder(Option_c51, Option_a51);
    setTabOrder(Option_a51, Cmd_outputcode);
    setTabOrder(Cmd_outputcode, Cmd_about);
    setTabOrder(Cmd_about, Cmd_exit);
    PicBOX->setFocus();

    Timer = new QTimer(this);
    Timer->setInterval(clockInterval);
    Timer_formfresh = new QTimer(this);
    Timer_formfresh->setInterval(fitInterval);
    connect(Timer, &QTimer::timeout, this, &Form1::Timer_Timer);
    connect(Timer_formfresh, &QTimer::timeout, this, &Form1::Timer_formfresh_Timer);
    Timer->start();

    connect(Cmd_loadpic, &QPushButton::clicked, this, &Form1::Cmd_loadpic_Click);
    connect(Cmd_convert, &QPushButton::clicked, this, &Form1::Cmd_convert_Click);
    connect(Cmd_outputcode, &QPushButton::clicked, this, &Form1::Cmd_outputcode_Click);
    connect(Cmd_about, &QPushButton::clicked, this, &Form1::Cmd_about_Click);
    connect(Cmd_exit, &QPushButton::clicked, this, &Form1::Cmd_exit_Click);
    connect(PicBOX, &PictureBox::mouseDown, this, &Form1::PicBOX_MouseDown);
    connect(PicBOX, &PictureBox::keyUp, this,
            [this](int key, Qt::KeyboardModifiers shift) { PicBOX_KeyUp(inspectorKeyCode(key), shift); });

    // The design-time client area, until start-up fits the window.
    setFixedSize(pixelsFromTwips(8445), pixelsFromTwips(5100));
    dockStatusBar();
    // The outer size includes the window system's frame, which is known only once the window is shown.
    new FrameFollower(this, [this] { applyGeometry(); });
}

Form1::~Form1()
{
    delete viewer_;
    delete about_;
}

void Form1::Form_Load()
{
    initsettings();
    arrangeform();

    const QString commandLine = platform_.commandLine();
    if (commandLine.isEmpty())
        return;
    cmdlinepic = true;
    const bool kept = loadIntoPictureBox(commandLine);
    formfreshed = false;
    Timer_formfresh->start();
    pixelinfoready = false;
    if (kept) {
        loadfile = commandLine;
        picfile = loadfile;
    } else {
        cmdlinepic = false;
    }
}

void Form1::initsettings()
{
    margins.framegap = 120;
    margins.rightmargin = 120;
    whitecolor = whiteColour;
    blackcolor = blackColour;
    pixelinfoready = false;
    margins.bottommargin = 360;
    setStatus(Texts::ready.toString());
}

void Form1::Cmd_loadpic_Click()
{
    CMD1.FileName.clear();
    CMD1.Filter = pictureFilter;
    platform_.ShowOpen(CMD1);
    loadfile = CMD1.FileName;
    if (!loadfile.isEmpty() && loadIntoPictureBox(loadfile))
        cmdlinepic = false; // the picture chosen now replaces the one named on the command line
    formfreshed = false;
    Timer_formfresh->start();
    pixelinfoready = false;
}

bool Form1::loadIntoPictureBox(const QString &path)
{
    LoadedPicture loaded = LoadPicture(path);
    if (!loaded.ok()) {
        platform_.messageBox(QStringLiteral("无法读取图片文件：【") + path + QStringLiteral("】"),
                             Texts::messageTitle.toString(), MessageIcon::Information);
        return false;
    }
    PicBOX->surface().setPicture(std::move(loaded.picture));
    PicBOX->refresh();
    picfile = path;
    if (!hasByteAlignedWidth(PicBOX->surface())) {
        emptyPictureReset();
        platform_.messageBox(Texts::widthRefused.toString(), Texts::messageTitle.toString(), MessageIcon::Information);
        return false;
    }
    return true;
}

void Form1::emptyPictureReset()
{
    PictureSurface &surface = PicBOX->surface();
    surface.setPicture(QImage());
    surface.setWidth(6060);
    surface.setHeight(4560);
    readScreen();
    formGeometry.applyDefaultLayout();
    loadfile.clear();
    picfile.clear();
    cmdlinepic = false; // a refused picture is never taken over from the command line
    setStatus(Texts::ready.toString());
    PicBOX->refresh();
    applyGeometry();
}

void Form1::readScreen()
{
    formGeometry.setScreen(platform_.screenSize(), platform_.usableArea().size());
}

void Form1::arrangeform()
{
    readScreen();
    if (!formGeometry.arrange(PicBOX->surface(), margins)) {
        emptyPictureReset();
        platform_.messageBox(Texts::tooLarge.toString(), Texts::messageTitle.toString(), MessageIcon::Information);
        return;
    }
    applyGeometry();
}

void Form1::Cmd_convert_Click()
{
    if (picfile.isEmpty())
        return;
    convertToBlackAndWhite(PicBOX->surface(), whitecolor, blackcolor, statusSink());
    PicBOX->update();
    setStatus(Texts::ready.toString());
    pixelinfoready = false; // the next export must read the converted pixels
}

void Form1::Cmd_outputcode_Click()
{
    if (picfile.isEmpty()) {
        setStatus(Texts::noPictureForExport.toString());
        return;
    }
    PicBOX->Shape_Position.Visible = false;
    PicBOX->update();

    QString failure;
    try {
        if (!pixelinfoready)
            readpixelinfo();
        const PictureSurface &surface = PicBOX->surface();
        if (pixelinfo.width() != surface.ScaleWidth() || pixelinfo.height() != surface.ScaleHeight()) {
            pixelinfoready = false;
            failure = QStringLiteral("代码生成失败：象素信息与当前图片不符，请重新导出。");
        } else {
            if (Option_a51->isChecked())
                A51codeoutput();
            if (Option_c51->isChecked())
                C51codeoutput();
            if (Option_Hex->isChecked())
                Hexcodeoutput();
        }
    } catch (const std::bad_alloc &) {
        pixelinfoready = false;
        failure = QStringLiteral("代码生成失败：内存不足。");
    }
    setStatus(Texts::preparingWrite.toString());

    if (Option_a51->isChecked() || Option_c51->isChecked())
        writeOutput(QStringLiteral("code.txt"), encodeText(codetext, localeTextEncoding()).bytes,
                    QStringLiteral("51代码已经生成！写入文件："), failure);
    if (Option_Hex->isChecked())
        writeOutput(QStringLiteral("code.hex"), codebytes, QStringLiteral("Hex代码已经生成！写入文件："), failure);
}

void Form1::writeOutput(const QString &fileName, const QByteArray &data, const QString &successText, QString failure)
{
    const QString path = platform_.programDirectory() + u'/' + fileName;
    QString reason;
    if (failure.isEmpty() && !saveFileAtomically(path, data, &reason))
        failure = QStringLiteral("无法写入文件：【") + path + QStringLiteral("】\r\n") + reason;
    if (!failure.isEmpty()) {
        platform_.messageBox(failure, Texts::applicationTitle.toString(), MessageIcon::Warning);
    } else {
        setStatus(Texts::ready.toString());
        platform_.messageBox(successText + QStringLiteral("\r\n【") + path + QStringLiteral("】"),
                             Texts::messageTitle.toString(), MessageIcon::Information);
    }
    showCodeViewer();
}

void Form1::readpixelinfo()
{
    pixelinfo = readPixelTable(PicBOX->surface(), blackcolor, statusSink());
    pixelinfoready = true;
}

void Form1::A51codeoutput()
{
    GeneratedCode code = writeA51(pixelinfo, picfile, codeStampAt(platform_.now()), statusSink());
    codetext = std::move(code.codetext);
    codelines = std::move(code.codelines);
}

void Form1::C51codeoutput()
{
    GeneratedCode code = writeC51(pixelinfo, picfile, codeStampAt(platform_.now()), statusSink());
    codetext = std::move(code.codetext);
    codelines = std::move(code.codelines);
}

void Form1::Hexcodeoutput()
{
    GeneratedCode code = writeHex(pixelinfo, statusSink());
    codetext = std::move(code.codetext);
    codelines = std::move(code.codelines);
    codebytes = std::move(code.codebytes);
}

void Form1::showCodeViewer()
{
    if (!viewer_) {
        viewer_ = new Form2;
        viewer_->move(frameGeometry().center() - viewer_->rect().center());
    }
    // An open viewer also shows the new export's text.
    viewer_->Form_Load(codetext);
    viewer_->show();
    viewer_->raise();
}

Form2 *Form1::codeViewer() const
{
    return viewer_;
}

Form3 *Form1::aboutWindow() const
{
    return about_;
}

void Form1::Cmd_about_Click()
{
    if (!about_) {
        about_ = new Form3;
        about_->move(frameGeometry().center() - about_->rect().center());
    }
    about_->show();
    about_->raise();
}

void Form1::PicBOX_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, float x, float y)
{
    if (picfile.isEmpty()) {
        setStatus(Texts::noPictureForInspector.toString());
        return;
    }
    const std::optional<Selection> selection = clickSelection(x, y);
    if (!selection)
        return;
    posx = selection->posx;
    posy = selection->posy;
    showPixelInfo();
    PicBOX->Shape_Position.Visible = true;
    placeMarker();
}

void Form1::PicBOX_KeyUp(int keyCode, Qt::KeyboardModifiers)
{
    if (picfile.isEmpty())
        return;
    if (const std::optional<Selection> selection = stepSelection({posx, posy}, keyCode)) {
        posx = selection->posx;
        posy = selection->posy;
    }
    showPixelInfo();
    placeMarker();
}

void Form1::showPixelInfo()
{
    setStatus(readoutText(posx, posy, PicBOX->surface().ScaleWidth()));
}

void Form1::placeMarker()
{
    PicBOX->Shape_Position.Left = float(8 * byteColumn(posx));
    PicBOX->Shape_Position.Top = posy;
    PicBOX->update();
}

void Form1::Cmd_exit_Click()
{
    if (exiting_)
        return;
    exiting_ = true;
    Timer->stop();
    Timer_formfresh->stop();
    hide();
    if (viewer_)
        viewer_->close();
    if (about_)
        about_->close();
    platform_.endProgram();
}

void Form1::Timer_Timer()
{
    if (PicBOX->Shape_Position.Visible) {
        PicBOX->Shape_Position.blink();
        PicBOX->update();
    }
    const QDateTime now = platform_.now();
    StatusBar->setPanelText(2, timeText(now));
    StatusBar->setPanelText(3, QStringLiteral("20") + dateText(now));
}

void Form1::Timer_formfresh_Timer()
{
    if (!formfreshed) {
        // Stopped first: the oversize message runs its own event loop, in which a running timer would start
        // a second fit.
        Timer_formfresh->stop();
        arrangeform();
        formfreshed = true;
    }
    if (cmdlinepic) {
        loadfile = platform_.commandLine();
        picfile = loadfile;
        cmdlinepic = false;
    }
}

QString Form1::statusText(int panel) const
{
    return StatusBar->panelText(panel);
}

void Form1::setStatus(const QString &text)
{
    StatusBar->setPanelText(1, text);
}

StatusSink Form1::statusSink()
{
    return [this](const QString &text) { setStatus(text); };
}

void Form1::applyGeometry()
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const int frameWidth = outer.width() - inner.width();
    const int frameHeight = outer.height() - inner.height();
    const int width = std::max(1, pixelsFromTwips(formGeometry.Width()) - frameWidth);
    const int height = std::max(1, pixelsFromTwips(formGeometry.Height()) - frameHeight);
    setFixedSize(width, height);
    move(pixelsFromTwips(formGeometry.Left()), pixelsFromTwips(formGeometry.Top()));
    Frame->move(pixelsFromTwips(formGeometry.frameLeft()), pixelsFromTwips(formGeometry.frameTop()));
    dockStatusBar();
}

void Form1::dockStatusBar()
{
    const int barHeight = pixelsFromTwips(statusBarHeight);
    StatusBar->setGeometry(0, height() - barHeight, width(), barHeight);
    StatusBar->raise();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Cmd_exit_Click();
    event->accept();
}
