#include "form3.h"

#include "core/twips.h"
#include "windows/fontfamilies.h"
#include "windows/texts.h"

#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextBrowser>

Form3::Form3(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("关于软件"));
    setFixedSize(pixelsFromTwips(7665), pixelsFromTwips(4575));

    // Made in the tab order: the text, then the button.
    RTBox_about = new QTextBrowser(this);
    RTBox_about->setGeometry(pixelsFromTwips(150), pixelsFromTwips(120), pixelsFromTwips(7365), pixelsFromTwips(3855));
    fillAboutText();
    Command1 = new QPushButton(QStringLiteral("确定"), this);
    Command1->setGeometry(pixelsFromTwips(2790), pixelsFromTwips(4080), pixelsFromTwips(1455), pixelsFromTwips(375));
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::fillAboutText()
{
    QTextCharFormat format;
    format.setFontFamilies(chineseFontFamilies());
    format.setFontPointSize(10.5);
    format.setForeground(Qt::black);
    QTextDocument *document = RTBox_about->document();
    document->clear();
    QTextCursor cursor(document);
    for (std::size_t i = 0; i < Texts::about.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.setBlockCharFormat(format);
        cursor.insertText(Texts::about[i].toString(), format);
    }
    RTBox_about->moveCursor(QTextCursor::Start);
}

void Form3::Command1_Click()
{
    close();
}
