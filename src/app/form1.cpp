// The main window's controls and their geometry, and the windows it opens and closes.

#include "form1.h"

#include "app/statuspanels.h"
#include "app/texts.h"
#include "core/twips.h"
#include "picture/picture.h"
#include "picture/picturebox.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/framefollower.h"

#include <QCloseEvent>
#include <QFile>
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

template <typename Button> Button *addButton(QWidget *parent, const QString &caption, QRect twips)
{
    auto *button = new Button(caption, parent);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    return button;
}

} // namespace

Form1::Form1(Platform &platform, QWidget *parent) : QWidget(parent), platform_(platform)
{
    setWindowTitle(Texts::windowCaption.toString());
    setWindowIcon(QIcon(QStringLiteral(":/app/resources/form1.png")));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    PicBOX = new PictureBox(this);
    PicBOX->move(pixelsFromTwips(FormGeometry::boxLeft), pixelsFromTwips(FormGeometry::boxTop));
    QFile titlePicture(defaultPicture);
    titlePicture.open(QIODevice::ReadOnly);
    PicBOX->surface().setPicture(decodePicture(titlePicture.readAll(), limits).picture);
    PicBOX->refresh();

    Frame = new QGroupBox(this);
    Frame->setGeometry(twipsRect(6360, 1440, FormGeometry::frameWidth, FormGeometry::frameHeight));
    // The controls are made in the tab order, after the picture box: the formats from the bottom up.
    Cmd_loadpic = addButton<QPushButton>(Frame, QStringLiteral("导入图片..."), {120, 240, 1695, 375});
    Cmd_convert = addButton<QPushButton>(Frame, QStringLiteral("彩色>>黑白..."), {120, 600, 1695, 375});
    Option_Hex = addButton<QRadioButton>(Frame, QStringLiteral("Hex格式"), {480, 1920, 975, 180});
    Option_c51 = addButton<QRadioButton>(Frame, QStringLiteral("C51格式"), {480, 1710, 1095, 180});
    Option_a51 = addButton<QRadioButton>(Frame, QStringLiteral("A51格式"), {480, 1440, 1095, 255});
    Cmd_outputcode = addButton<QPushButton>(Frame, QStringLiteral("导出代码..."), {120, 960, 1695, 375});
    Cmd_about = addButton<QPushButton>(Frame, QStringLiteral("关于软件"), {120, 2400, 1695, 375});
    Cmd_exit = addButton<QPushButton>(Frame, QStringLiteral("退出"), {120, 2760, 1695, 375});
    Option_a51->setChecked(true);

    StatusBar = new StatusPanels(this);
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
    // Where the window stands is the frame's place, so only the client area follows the frame's size.
    new FrameFollower(this, [this] { applyOuterSize(); });
}

Form1::~Form1()
{
    delete viewer_;
    delete about_;
}

void Form1::readScreen()
{
    formGeometry.setScreen(platform_.screenSize(), platform_.usableArea().size());
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

void Form1::applyGeometry()
{
    applyOuterSize();
    move(pixelsFromTwips(formGeometry.Left()), pixelsFromTwips(formGeometry.Top()));
    Frame->move(pixelsFromTwips(formGeometry.frameLeft()), pixelsFromTwips(formGeometry.frameTop()));
}

void Form1::applyOuterSize()
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const int frameWidth = outer.width() - inner.width();
    const int frameHeight = outer.height() - inner.height();
    const int width = std::max(1, pixelsFromTwips(formGeometry.Width()) - frameWidth);
    const int height = std::max(1, pixelsFromTwips(formGeometry.Height()) - frameHeight);
    setFixedSize(width, height);
    dockStatusBar();
}

void Form1::dockStatusBar()
{
    const int barHeight = pixelsFromTwips(statusBarHeight);
    StatusBar->setGeometry(0, height() - barHeight, width(), barHeight);
    StatusBar->raise();
}

void Form1::closeEvent(QCloseEvent *) // a close event comes accepted: the window closes
{
    Cmd_exit_Click();
}
