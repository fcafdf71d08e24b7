#include "form2.h"

#include "core/twips.h"
#include "windows/framefollower.h"
#include "windows/viewerlayout.h"

#include <QEvent>
#include <QFontDatabase>
#include <QIcon>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QRect pixelRect(const QRectF &twips)
{
    return {pixelsFromTwips(float(twips.x())), pixelsFromTwips(float(twips.y())), pixelsFromTwips(float(twips.width())),
            pixelsFromTwips(float(twips.height()))};
}

} // namespace

Form2::Form2(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("代码显示"));
    setWindowIcon(QIcon(QStringLiteral(":/windows/resources/form2.png")));

    // Made first, the button is first in the tab order, and so has the focus when the window opens.
    Cmd_closewindow = new QPushButton(QStringLiteral("关闭窗口"), this);
    Cmd_closewindow->setGeometry(pixelRect({3960, 7680, ViewerLayout::buttonWidth, ViewerLayout::buttonHeight}));
    RTextBox = new QPlainTextEdit(this);
    RTextBox->setGeometry(pixelRect({150, 120, 9495, 7335}));
    RTextBox->setReadOnly(true);
    RTextBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    RTextBox->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    RTextBox->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    connect(Cmd_closewindow, &QPushButton::clicked, this, &Form2::Cmd_closewindow_Click);

    resize(pixelsFromTwips(9795), pixelsFromTwips(8325));
    // The layout follows the outer size, which grows by the frame once the window manager has framed it.
    new FrameFollower(this, [this] { Form_Resize(); });
}

void Form2::Form_Load(const QString &codetext)
{
    // A new text puts the cursor and the view back at the top left.
    RTextBox->setPlainText(codetext);
}

void Form2::Form_Resize()
{
    if (isMinimized())
        return;
    const QSize outer = frameGeometry().size();
    const ViewerLayout layout = viewerLayout(twipsFromPixels(outer.width()), twipsFromPixels(outer.height()));
    // Child positions are in the client area; the outer size only decides the sizes.
    RTextBox->setGeometry(pixelRect(layout.textBox));
    Cmd_closewindow->setGeometry(pixelRect(layout.button));
}

void Form2::Cmd_closewindow_Click()
{
    close();
}

void Form2::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form2::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}
