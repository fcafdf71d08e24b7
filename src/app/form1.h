#pragma once

// The main window. How a picture becomes data:
//
//   Cmd_loadpic ──ShowOpen──> LoadPicture ──> PicBOX's surface ──width check──> fit requested
//        Timer_formfresh (250 ms, once) ──> arrangeform: frame beside the picture, window around both
//   Cmd_convert ──> every pixel white or black on the surface         (pixel table stale)
//   Cmd_outputcode ──> readpixelinfo (only while stale) ──> pixelinfo ──> writer ──> codetext / codebytes
//        ──> code.txt or code.hex in the program's directory ──> message box ──> code viewer
//   PicBOX click / arrow keys ──> inspector read-out in the status bar, blinking marker (Timer, 500 ms)
//
// The window holds the working state under the names below and calls the core for the work; dialogs, message
// boxes, the screen, the clock and the command line come through the Platform it is given.

#include "export/windowwriters.h"
#include "imaging/pixeltable.h"
#include "core/colour.h"
#include "picture/formgeometry.h"
#include "app/platform.h"

#include <QPointer>
#include <QWidget>

class Form2;
class Form3;
class PictureBox;
class StatusPanels;
class QGroupBox;
class QPushButton;
class QRadioButton;
class QTimer;

class Form1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int clockInterval = 500; // ms, Timer: clock and marker blink
    static constexpr int fitInterval = 250;   // ms, Timer_formfresh: one fit after a new picture
    static inline const QString pictureFilter =
        QStringLiteral("Pictures (*.bmp;*.jpeg;*.jpg;*.gif)|*.bmp;*.jpeg;*.jpg;*.gif");

    explicit Form1(Platform &platform, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: start values, the default layout, and a picture named on the command line.
    void Form_Load();

    // Handlers of the buttons and timers.
    void Cmd_loadpic_Click();
    void Cmd_convert_Click();
    void Cmd_outputcode_Click();
    void Cmd_about_Click();
    void Cmd_exit_Click();
    void PicBOX_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, float x, float y);
    void PicBOX_KeyUp(int keyCode, Qt::KeyboardModifiers shift);
    void Timer_Timer();
    void Timer_formfresh_Timer();

    // Procedures the handlers share.
    void initsettings();
    void arrangeform();
    // Back to the empty default picture in the default layout, no picture loaded.
    void emptyPictureReset();
    void readpixelinfo();
    void A51codeoutput();
    void C51codeoutput();
    void Hexcodeoutput();

    // The code viewer and the about window while they are open, else null.
    Form2 *codeViewer() const;
    Form3 *aboutWindow() const;

    // The text of status-bar panel n (1 to 3).
    QString statusText(int panel) const;

    // Controls.
    PictureBox *PicBOX = nullptr;
    QGroupBox *Frame = nullptr;
    QPushButton *Cmd_loadpic = nullptr;
    QPushButton *Cmd_convert = nullptr;
    QPushButton *Cmd_outputcode = nullptr;
    QRadioButton *Option_a51 = nullptr;
    QRadioButton *Option_c51 = nullptr;
    QRadioButton *Option_Hex = nullptr;
    QPushButton *Cmd_about = nullptr;
    QPushButton *Cmd_exit = nullptr;
    StatusPanels *StatusBar = nullptr;
    QTimer *Timer = nullptr;
    QTimer *Timer_formfresh = nullptr;
    OpenFileDialog CMD1;

    // Working state.
    QString loadfile;
    QString picfile;
    bool formfreshed = false;
    bool pixelinfoready = false;
    bool cmdlinepic = false;
    short posx = 0;
    short posy = 0;
    LayoutMargins margins{0, 0, 0};
    Colour whitecolor = 0;
    Colour blackcolor = 0;
    PixelTable pixelinfo;
    QByteArray codebytes;
    QStringList codelines;
    QString codetext;
    FormGeometry formGeometry;
    // The window's one memory budget: the picture, its pixel table, the code made of it and what the road holds
    // to make it are reserved from it.
    Limits limits = Limits::window();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void setStatus(const QString &text);
    StatusSink statusSink();
    // Loads `path` into the picture box and checks its width, as the import and start-up do. False when the
    // file could not be read: then nothing has changed and the user has been told.
    bool loadIntoPictureBox(const QString &path);
    // The size of the screen the window is on, read afresh before every fit: the user may change it.
    void readScreen();
    // Puts the window, the frame and the picture box where `formGeometry` says; the client area is the outer
    // size less the window system's frame.
    void applyGeometry();
    // The client area for the outer size, once the window system's frame is known or has changed.
    void applyOuterSize();
    // The status bar along the whole bottom edge of the client area, over anything beneath it.
    void dockStatusBar();
    // Writes `data` to `fileName` in the program's directory unless `failure` already holds why the data
    // could not be built, reports the outcome and shows the code viewer.
    void writeOutput(const QString &fileName, const QByteArray &data, const QString &successText, QString failure);
    void showCodeViewer();
    // The last export's code given up, before a writer makes the next; then the writer's code taken into
    // codetext, codelines and codebytes, with, when the road refused, its reason.
    void clearCode();
    void takeCode(GeneratedCode code);
    void showPixelInfo();
    void placeMarker();

    Platform &platform_;
    Reservation codeHeld_; // codetext, codelines and codebytes
    Refusal failure_;      // why the last pixel read or writer could not make its part, or nothing
    QPointer<Form2> viewer_;
    QPointer<Form3> about_;
    bool exiting_ = false;
};
