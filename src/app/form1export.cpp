// The colour conversion, the export command with its writers and output files, and the code viewer.

#include "form1.h"

#include "app/refusaltext.h"
#include "app/texts.h"
#include "export/filesave.h"
#include "export/textencoding.h"
#include "imaging/conversion.h"
#include "picture/windowpasses.h"
#include "picture/picturebox.h"
#include "windows/form2.h"

#include <QRadioButton>

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
    failure_.clear();
    try {
        if (!pixelinfoready)
            readpixelinfo();
        const PictureSurface &surface = PicBOX->surface();
        if (!failure_.isEmpty()) {
        } else if (pixelinfo.width() != surface.ScaleWidth() || pixelinfo.height() != surface.ScaleHeight()) {
            pixelinfoready = false;
            failure = Texts::tableMismatch.toString();
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
        failure = Texts::outOfMemory.toString();
    }
    // A refusal of the road's (the budget passed) takes the failure path, and nothing is written.
    if (failure.isEmpty() && !failure_.isEmpty())
        failure =
            (failure_.rule == Refusal::Rule::Held ? Texts::outOfMemory.toString() : Texts::exportFailed.toString()) +
            QStringLiteral("\r\n") + refusalText(failure_);
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
    Refusal reason;
    if (failure.isEmpty() && !saveFileAtomically(path, data, &reason))
        failure = QStringLiteral("无法写入文件：【") + path + QStringLiteral("】\r\n") + reason.detail;
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
    pixelinfo = PixelTable(); // the old table's bytes go back before the new one's are reserved
    pixelinfo = readPixelTable(PicBOX->surface(), blackcolor, statusSink(), limits, &failure_);
    pixelinfoready = failure_.isEmpty();
}

void Form1::clearCode()
{
    codetext.clear();
    codelines.clear();
    codebytes.clear();
    codeHeld_.release();
}

void Form1::takeCode(GeneratedCode code)
{
    if (!code.ok())
        failure_ = code.refusal;
    codetext = std::move(code.codetext);
    codelines = std::move(code.codelines);
    codebytes = std::move(code.codebytes);
    codeHeld_ = std::move(code.held);
}

void Form1::A51codeoutput()
{
    clearCode();
    takeCode(writeA51(pixelinfo, picfile, codeStampAt(platform_.now()), statusSink(), limits));
}

void Form1::C51codeoutput()
{
    clearCode();
    takeCode(writeC51(pixelinfo, picfile, codeStampAt(platform_.now()), statusSink(), limits));
}

void Form1::Hexcodeoutput()
{
    clearCode();
    takeCode(writeHex(pixelinfo, statusSink(), limits));
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
