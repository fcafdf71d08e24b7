#pragma once

#include <QWidget>

class QPushButton;
class QTextBrowser;

// The about window: what the program is and how it orders its data. Closing it destroys it.
class Form3 : public QWidget {
    Q_OBJECT

public:
    explicit Form3(QWidget *parent = nullptr);

    void Command1_Click();

    QTextBrowser *RTBox_about = nullptr;
    QPushButton *Command1 = nullptr;

private:
    void fillAboutText();
};
