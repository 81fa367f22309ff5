#pragma once
// TFormPlayer, the main window: it starts and stops the engine, opens one medium at a time
// (a 2D file, a stereo file, a capture device), plays, pauses, seeks, sets the volume and
// carries the stereo display and stream menus. The engine draws straight into Panel1 (or
// the full-screen window); the player never touches a frame. Everything here runs on the
// GUI thread, including the engine's device callback, which the engine calls from inside
// Lumex_CaptureGetDevices.
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
#include <cstdint>

#include "Components.h"
#include "Lumex.h"
#include "MenuItem.h"
#include "OpenDialog.h"
#include "PlayerSession.h"
#include "QtDialogPresenter.h"
#include "controls/kestrobutton.h"
#include "controls/kestroslider.h"

class MprisService;
class ScreenSaverInhibitor;
class TFormPlayer;
class TVideoWindow;
class TFInfo;

// Program-wide state, read by the other windows.
extern uint32_t CurrentChannel;  // the open medium; 0 while nothing is open
extern int32_t DeviceCount;      // video capture devices listed at start-up
extern TFormPlayer* FormPlayer;
extern TVideoWindow* VideoWindow;
extern TFInfo* FInfo;            // null while the file information window does not exist
extern CHANNELINFO ChannelInfo;  // filled and read by the file information window

// "mm:ss" with at least two digits each and no hours field: 6000 gives "100:00".
QString FormatTime(int32_t seconds);

// The engine's device callback: appends one item per video capture device to "Open Video
// Device", numbered from 1 in the order reported.
void LUMEX_CALL AddCaptureDevice(const char* name, GUID clsid, intptr_t user);

class TFormPlayer : public QMainWindow {
    Q_OBJECT

public:
    TFormPlayer();
    ~TFormPlayer() override;

    // Components, reached by the other windows and by tests.
    QWidget* Client;  // the client area, 505 x 329
    TPanel* Panel1;
    TImage* Image1;
    TPanel* Panel2;
    TKestroButton* PlayBtn;
    QLabel* Label1;
    TPNGSlider* Bar;
    QLabel* Label2;
    TKestroButton* volume_btn;
    TKestroButton* fullscreen_btn;
    TOpenDialog OD;
    QTimer* Timer1;

    QMenuBar* MainMenu1;
    QMenu* File1;
    TMenuItem* Openvideofile1;
    QMenu* Open3D1;
    TMenuItem* Open3DTopBottomvideofile1;
    TMenuItem* Openafile1;
    TMenuItem* Open2Dfile1;
    QMenu* OpenFirstVideoCaptureDevice1;
    TMenuItem* NextFile1;
    TMenuItem* PreviousFile1;
    TMenuItem* CloseCurrentvideo1;
    TMenuItem* Exit1;
    QMenu* Options1;
    TMenuItem* FileInfo1;
    QMenu* Streams3;
    QMenu* Video2;
    QMenu* Audio2;
    QMenu* Subtitles2;
    QMenu* N2D1;
    TMenuItem* BlueYellowGlasses1;
    TMenuItem* RedCyanGlasses1;
    TMenuItem* GreenMagentaGlasses1;
    TMenuItem* NoGlassesLeftPart1;
    TMenuItem* NoGlassesRightPart1;
    QAction* OptimisedAnaglyph1;  // check items on their own, beside the glasses items' marks
    QMenu* N31;
    TMenuItem* BlueYellowGlasses2;
    TMenuItem* RedCyanGlasses2;
    TMenuItem* GreenMagentaGlasses2;
    TMenuItem* NoGlassesLeftPart2;
    TMenuItem* NoGlasses2ndPart1;
    TMenuItem* SidebySidedisplay1;
    TMenuItem* opBottomDisplay1;
    QAction* SwapEyes1;
    QAction* OptimisedAnaglyph2;
    QAction* KeepAspectRatio1;
    QMenu* AboutMenu1;
    TMenuItem* About1;
    TMenuItem* Keyboard1;

    // Opens, plays, seeks and closes media for every handler, key and remote.
    PlayerSession* Session;
    // The desktop's side, made once both windows exist: the screen saver held off while
    // playing, and the MPRIS service.
    ScreenSaverInhibitor* Inhibitor = nullptr;
    MprisService* Mpris = nullptr;
    void StartDesktopServices();
    // Lets go of both, before the windows go.
    void StopDesktopServices();

    // The caption of Label2 while a capture device is open.
    static constexpr const char* kDevice = "Device";

    int64_t volume = 100;  // 0..100
    int32_t xmode = 0;     // of the last stereo open: 0 left/right, 1 top/bottom

    // Handlers, as bound to the components.
    void FormCreate();
    void FormDestroy();
    void FormMouseWheelUp();
    void FormMouseWheelDown();
    void Panel1DblClick(QObject* Sender);
    void fullscreen_btnClick(QObject* Sender);
    void PlayBtnClick(QObject* Sender);
    void BarChange(QObject* Sender);
    void Timer1Timer();
    void Openvideofile1Click(QObject* Sender);
    void Open2Dfile1Click(QObject* Sender);
    void Openafile1Click(QObject* Sender);
    void Open3DTopBottomvideofile1Click(QObject* Sender);
    void Button1Click(QObject* Sender);
    void OpenFirstVideoCaptureDevice1Click(QObject* Sender);
    void NextFile1Click(QObject* Sender);
    void PreviousFile1Click(QObject* Sender);
    void CloseCurrentvideo1Click(QObject* Sender);
    void FileInfo1Click(QObject* Sender);
    void About1Click(QObject* Sender);
    void Keyboard1Click(QObject* Sender);
    void Exit1Click(QObject* Sender);
    void BlueYellowGlasses1Click(QObject* Sender);
    void BlueYellowGlasses2Click(QObject* Sender);
    void SidebySidedisplay1Click(QObject* Sender);
    void opBottomDisplay1Click(QObject* Sender);
    void EnableStream(QObject* Sender);

    void SetVolume(int64_t value);
    // Once Qt has drawn over the video window (painted, or uncovered): the engine shows its
    // last picture there again, which matters while paused.
    void RepaintVideo();
    // The "Options" menu at a point of the screen: a right click on the picture.
    void PopupOptions(const QPoint& at);
    // Lets a right click on the widget open "Options".
    void OptionsOnRightClick(QWidget* widget);
    void SetStreamsInfo();

    bool Ended() const { return Session->Ended(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A file dropped onto the window opens with its detected layout.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void FullScreenToggle();
    // A check item toggled on its own that sends attribute 1 or 0 to the current channel.
    QAction* Toggle(QMenu* menu, const QString& name, const QString& caption, int32_t attribute);
    TMenuItem* Item(QMenu* menu, const QString& name, const QString& caption, int32_t tag,
                    void (TFormPlayer::*handler)(QObject*));

    QtDialogPresenter m_presenter;
    int m_wheelRest = 0;  // wheel angle short of a whole notch
};
