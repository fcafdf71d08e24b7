#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The code viewer: the whole text of the last export, and a button that closes the window. The text box and
// the button follow the window's size. Closing the window destroys it.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(QWidget *parent = nullptr);

    // Puts `codetext` into the text box, as plain text.
    void Form_Load(const QString &codetext);
    // Lays the text box and the button out for the window's current outer size; nothing while minimised.
    void Form_Resize();
    void Cmd_closewindow_Click();

    QPlainTextEdit *RTextBox = nullptr;
    QPushButton *Cmd_closewindow = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
};
