#include "core/version.h"
#include "core/twips.h"
#include "windows/form2.h"
#include "windows/form3.h"
#include "windows/texts.h"
#include "windows/viewerlayout.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextBrowser>

// Gives a window the outer size `outer`, frame included.
static void resizeOuter(QWidget &window, QSize outer)
{
    window.resize(outer - (window.frameGeometry().size() - window.size()));
}

class tst_Windows : public QObject {
    Q_OBJECT

private slots:
    void viewerLayoutFigures_data();
    void viewerLayoutFigures();
    void viewerFollowsItsSize();
    void viewerLeavesLayoutAloneWhileMinimised();
    void viewerShowsPlainText();
    void viewerCloseButtonDestroysIt();
    void aboutText();
};

void tst_Windows::viewerLayoutFigures_data()
{
    QTest::addColumn<float>("width");
    QTest::addColumn<float>("height");
    QTest::addColumn<QRectF>("textBox");
    QTest::addColumn<QPointF>("button");
    QTest::newRow("6000 x 5000") << 6000.0f << 5000.0f << QRectF(150, 120, 5610, 3635) << QPointF(2272.5, 3950);
    QTest::newRow("design size") << 9795.0f << 8325.0f << QRectF(150, 120, 9405, 6960) << QPointF(4170, 7275);
    QTest::newRow("too small: box clamped at zero")
        << 300.0f << 1000.0f << QRectF(150, 120, 0, 0) << QPointF(-577.5, -50);
}

void tst_Windows::viewerLayoutFigures()
{
    QFETCH(float, width);
    QFETCH(float, height);
    QFETCH(QRectF, textBox);
    QFETCH(QPointF, button);
    const ViewerLayout layout = viewerLayout(width, height);
    QCOMPARE(layout.textBox, textBox);
    QCOMPARE(layout.button.topLeft(), button);
    QCOMPARE(layout.button.size(), QSizeF(1455, 375));
    // The button's top is always 195 twips below the box's bottom edge.
    if (textBox.height() > 0)
        QCOMPARE(layout.button.top() - textBox.bottom(), 195.0);
}

void tst_Windows::viewerFollowsItsSize()
{
    Form2 viewer;
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QVERIFY(viewer.frameGeometry().size() != viewer.size()); // the layout follows the outer size, frame included
    resizeOuter(viewer, {400, 333});                         // 6000 x 4995 twips
    QTRY_COMPARE(viewer.RTextBox->geometry(), QRect(10, 8, 374, 242));
    QCOMPARE(viewer.Cmd_closewindow->geometry().topLeft(), QPoint(pixelsFromTwips(2272.5f), pixelsFromTwips(3945)));
    QCOMPARE(viewer.Cmd_closewindow->size(), QSize(97, 25));
    QCOMPARE(viewer.windowTitle(), QStringLiteral("代码显示"));
    QCOMPARE(viewer.Cmd_closewindow->text(), QStringLiteral("关闭窗口"));
    QVERIFY(!viewer.windowIcon().isNull());
}

void tst_Windows::viewerLeavesLayoutAloneWhileMinimised()
{
    Form2 viewer;
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    resizeOuter(viewer, {400, 333});
    QTRY_COMPARE(viewer.RTextBox->width(), 374);
    viewer.setWindowState(Qt::WindowMinimized);
    QTRY_VERIFY(viewer.isMinimized());
    viewer.resize(600, 500);
    viewer.Form_Resize();
    QCOMPARE(viewer.RTextBox->width(), 374);
    viewer.setWindowState(Qt::WindowNoState);
    QTRY_VERIFY(!viewer.isMinimized());
    viewer.Form_Resize();
    QCOMPARE(viewer.RTextBox->width(), viewer.frameGeometry().width() - 26);
}

void tst_Windows::viewerShowsPlainText()
{
    Form2 viewer;
    const QString text = QStringLiteral("<b>not bold</b>\r\nDB   081H, 0FFH\r\n");
    viewer.Form_Load(text);
    QCOMPARE(viewer.RTextBox->toPlainText(), QStringLiteral("<b>not bold</b>\nDB   081H, 0FFH\n"));
    // A new text in an open viewer, scrolled and with the cursor at its end, is shown from its start.
    const QString longText = QStringLiteral("DB   081H, 0FFH, 000H, 07EH\r\n").repeated(500) + QString(400, u'x');
    viewer.Form_Load(longText);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    viewer.RTextBox->moveCursor(QTextCursor::End);
    viewer.RTextBox->horizontalScrollBar()->setValue(100);
    viewer.Form_Load(longText);
    QCOMPARE(viewer.RTextBox->textCursor().position(), 0);
    QCOMPARE(viewer.RTextBox->horizontalScrollBar()->value(), 0);
    QCOMPARE(viewer.RTextBox->verticalScrollBar()->value(), 0);
    QTest::keyClick(viewer.RTextBox, Qt::Key_End, Qt::ShiftModifier); // selected from the keyboard, to be copied
    QCOMPARE(viewer.RTextBox->textCursor().selectedText(), QStringLiteral("DB   081H, 0FFH, 000H, 07EH"));
}

void tst_Windows::viewerCloseButtonDestroysIt()
{
    QPointer<Form2> viewer = new Form2;
    viewer->show();
    QVERIFY(QTest::qWaitForWindowExposed(viewer));
    QCOMPARE(QApplication::focusWidget(), viewer->Cmd_closewindow); // the button has the focus when it opens
    QTest::mouseClick(viewer->Cmd_closewindow, Qt::LeftButton);
    QTRY_VERIFY(viewer.isNull());
}

void tst_Windows::aboutText()
{
    QPointer<Form3> about = new Form3;
    QCOMPARE(about->windowTitle(), QStringLiteral("关于软件"));
    QCOMPARE(about->Command1->text(), QStringLiteral("确定"));
    QCOMPARE(about->size(), QSize(511, 305));
    // The stored text, a paragraph a line, and its version the project's.
    const QStringList paragraphs = about->RTBox_about->toPlainText().split(u'\n');
    QCOMPARE(paragraphs.size(), qsizetype(Texts::about.size()));
    QVERIFY(!paragraphs.last().isEmpty()); // no blank paragraph after the text
    for (std::size_t i = 0; i < Texts::about.size(); ++i)
        QCOMPARE(paragraphs[qsizetype(i)], Texts::about[i].toString());
    QCOMPARE(paragraphs[1], QStringLiteral("软件版本：V" TESSALINE_VERSION));
    // To its last character, 10.5-point type, black, not the desktop's colour for text.
    QTextCursor end(about->RTBox_about->document());
    end.movePosition(QTextCursor::End);
    QCOMPARE(end.charFormat().fontPointSize(), 10.5);
    QCOMPARE(end.charFormat().foreground(), QBrush(Qt::black));
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QCOMPARE(QApplication::focusWidget(), about->RTBox_about); // first in the tab order
    QTest::mouseClick(about->Command1, Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
}

QTEST_MAIN(tst_Windows)
#include "tst_windows.moc"
