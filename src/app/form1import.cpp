// Start-up, the import command, the empty-picture reset and the window fit.

#include "form1.h"

#include "app/refusaltext.h"
#include "app/texts.h"
#include "picture/picture.h"
#include "picture/picturebox.h"

#include <QTimer>

#include <new>

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
    LoadedPicture loaded;
    try {
        loaded = LoadPicture(path, limits);
    } catch (const std::bad_alloc &) { // the machine has less memory than the window's limits allow
        loaded = {};
        loaded.refusal = Refusal(Refusal::Rule::OutOfMemory);
    }
    if (!loaded.ok()) {
        const QString reason = refusalText(loaded.refusal);
        platform_.messageBox(QStringLiteral("无法读取图片文件：【") + path + QStringLiteral("】") +
                                 (reason.isEmpty() ? QString() : QStringLiteral("\r\n") + reason),
                             Texts::messageTitle.toString(), MessageIcon::Information);
        return false;
    }
    PicBOX->surface().setPicture(std::move(loaded.picture), std::move(loaded.held));
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

// The fit timer: the window fitted once after a picture is loaded (or at start), and the command line's picture
// taken as the one named.
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
