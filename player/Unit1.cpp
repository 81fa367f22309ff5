#include "Unit1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDropEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "MprisService.h"
#include "PlayerKeys.h"
#include "ScreenSaverInhibitor.h"
#include "Unit2.h"
#include "VideoForm.h"
#include "X11Sync.h"

uint32_t CurrentChannel = 0;
int32_t DeviceCount = 0;
TFormPlayer* FormPlayer = nullptr;
TVideoWindow* VideoWindow = nullptr;
TFInfo* FInfo = nullptr;
CHANNELINFO ChannelInfo{};

namespace {

constexpr int kClientWidth = 505;
constexpr int kClientHeight = 329;

// The README beside the program: installed, it is in share/doc of the prefix; in the build
// tree, in build/share/doc.
QString ReadmePath() {
    const QDir program(QCoreApplication::applicationDirPath());
    for (const char* relative : {"../../share/doc/orvo-player/README.md", "../share/doc/orvo-player/README.md"}) {
        const QFileInfo readme(program.filePath(relative));
        if (readme.isFile()) return readme.canonicalFilePath();
    }
    return {};
}

int32_t TagOf(QObject* sender) {
    auto* item = qobject_cast<TMenuItem*>(sender);
    return item ? item->Tag : 0;
}

QLabel* TimeLabel(const QString& name, QWidget* parent, int left, int top) {
    auto* label = new QLabel(FormatTime(0), parent);
    label->setObjectName(name);
    label->move(left, top);
    label->setStyleSheet("color: white;");
    label->adjustSize();
    return label;
}

TKestroButton* SkinButton(const QString& name, QWidget* parent, int left, int top, const char* strip) {
    auto* button = new TKestroButton(parent);
    button->setObjectName(name);
    button->setProperty("Tag", 1);
    button->move(left, top);
    button->SetPngImg(QImage(QString(":/") + strip));
    return button;
}

void ClearMenu(QMenu* menu) {
    const QList<QAction*> items = menu->actions();
    for (QAction* action : items) {
        menu->removeAction(action);
        delete action;
    }
}

}  // namespace

QString FormatTime(int32_t seconds) {
    return QString::asprintf("%2.2d:%2.2d", seconds / 60, seconds % 60);
}

void LUMEX_CALL AddCaptureDevice(const char* name, GUID, intptr_t) {
    ++DeviceCount;
    auto* item = new TMenuItem(QString(), QString::fromUtf8(name), FormPlayer->MainMenu1, DeviceCount);
    QObject::connect(item, &QAction::triggered, FormPlayer,
                     [item] { FormPlayer->OpenFirstVideoCaptureDevice1Click(item); });
    FormPlayer->OpenFirstVideoCaptureDevice1->addAction(item);
}

TFormPlayer::TFormPlayer() : Session(new PlayerSession(*this)), m_presenter(this) {
    // The device callback reaches the window through FormPlayer while FormCreate runs.
    FormPlayer = this;
    setObjectName("FormPlayer");
    setAcceptDrops(true);
    setWindowTitle("Orvo-Player");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font("Tahoma");
    font.setPixelSize(11);
    setFont(font);
    CreateComponents();
    CreateMenus();
    connect(Session, &PlayerSession::MediumChanged, this, [this] {
        const bool file = !Session->FileName().isEmpty();
        NextFile1->setEnabled(file);
        PreviousFile1->setEnabled(file);
    });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
}

TFormPlayer::~TFormPlayer() {
    FormDestroy();
    FormPlayer = nullptr;
}

void TFormPlayer::CreateComponents() {
    Client = new QWidget(this);
    Client->setObjectName("Client");
    Client->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(Client);

    // Native, so its X window id is the engine's video window.
    Panel1 = new TPanel("Panel1", Client, Qt::black);
    Panel1->setGeometry(0, 0, kClientWidth, 288);
    Panel1->setAttribute(Qt::WA_NativeWindow);
    new RedrawNotifier(Panel1, [this] { RepaintVideo(); });
    Panel1->OnDblClick = [this](QObject* sender) { Panel1DblClick(sender); };
    Image1 = new TImage("Image1", Panel1);
    Image1->setGeometry(Panel1->rect());
    Image1->setPixmap(QPixmap(":/logo"));
    Image1->OnDblClick = [this](QObject* sender) { Panel1DblClick(sender); };
    OptionsOnRightClick(Panel1);
    OptionsOnRightClick(Image1);

    // Native too: in full screen it lies over the engine's picture, and a window of its own
    // keeps the engine's drawing off it.
    Panel2 = new TPanel("Panel2", Client, QColor(0x1c, 0x1e, 0x22));
    Panel2->setGeometry(0, 288, kClientWidth, 41);
    Panel2->setAttribute(Qt::WA_NativeWindow);

    PlayBtn = SkinButton("PlayBtn", Panel2, 8, 14, "play_pause");
    PlayBtn->setToolTip("Play/Pause");
    Label1 = TimeLabel("Label1", Panel2, 27, 14);
    Bar = new TPNGSlider(Panel2);
    Bar->setObjectName("Bar");  // a "Bar" moved by the program raises no OnChange
    Bar->move(60, 16);
    Bar->setCursor(Qt::PointingHandCursor);
    Bar->SetProgressBar(false);
    Bar->Setslidertype(TSliderType::Normal);
    Bar->OnChange = [this](QObject* sender) { BarChange(sender); };
    Bar->OnChange2 = [this](QObject*) { Session->DragBar(double(Bar->position2)); };
    Label2 = TimeLabel("Label2", Panel2, 419, 14);
    volume_btn = SkinButton("volume_btn", Panel2, 456, 15, "volume");
    fullscreen_btn = SkinButton("fullscreen_btn", Panel2, 480, 15, "fullscreen");
    fullscreen_btn->setToolTip("Fullscreen");
    fullscreen_btn->OnClick = [this](QObject* sender) { fullscreen_btnClick(sender); };
    PlayBtn->OnClick = [this](QObject* sender) { PlayBtnClick(sender); };

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(30);
    connect(Timer1, &QTimer::timeout, this, &TFormPlayer::Timer1Timer);
}

TMenuItem* TFormPlayer::Item(QMenu* menu, const QString& name, const QString& caption, int32_t tag,
                             void (TFormPlayer::*handler)(QObject*)) {
    auto* item = new TMenuItem(name, caption, MainMenu1, tag);
    connect(item, &QAction::triggered, this, [this, item, handler] { (this->*handler)(item); });
    menu->addAction(item);
    return item;
}

QAction* TFormPlayer::Toggle(QMenu* menu, const QString& name, const QString& caption, int32_t attribute) {
    // A plain action, not a TMenuItem: the glasses handlers clear TMenuItems only.
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setCheckable(true);
    connect(item, &QAction::triggered, this,
            [attribute](bool on) { Lumex_ChannelSetAttribute(CurrentChannel, attribute, on ? 1.0f : 0.0f); });
    return item;
}

void TFormPlayer::CreateMenus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    auto submenu = [this](QMenu* parent, const QString& name, const QString& caption) {
        QMenu* menu = parent ? parent->addMenu(caption) : MainMenu1->addMenu(caption);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        return menu;
    };

    File1 = submenu(nullptr, "File1", "File");
    Openvideofile1 = Item(File1, "Openvideofile1", "Open video file...", 0, &TFormPlayer::Openvideofile1Click);
    Openvideofile1->setCheckable(false);
    Open3D1 = submenu(File1, "Open3D1", "Open 3D");
    Open3DTopBottomvideofile1 = Item(Open3D1, "Open3DTopBottomvideofile1", "Open 3D Top/Bottom video file...", 0,
                                     &TFormPlayer::Open3DTopBottomvideofile1Click);
    Openafile1 = Item(Open3D1, "Openafile1", "Open 3D Left/Right video file...", 0, &TFormPlayer::Openafile1Click);
    Open2Dfile1 = Item(File1, "Open2Dfile1", "Open 2D file...", 0, &TFormPlayer::Open2Dfile1Click);
    OpenFirstVideoCaptureDevice1 = submenu(File1, "OpenFirstVideoCaptureDevice1", "Open Video Device");
    NextFile1 = Item(File1, "NextFile1", "Next File", 0, &TFormPlayer::NextFile1Click);
    PreviousFile1 = Item(File1, "PreviousFile1", "Previous File", 0, &TFormPlayer::PreviousFile1Click);
    CloseCurrentvideo1 =
        Item(File1, "CloseCurrentvideo1", "Close Current video", 0, &TFormPlayer::CloseCurrentvideo1Click);
    Exit1 = Item(File1, "Exit1", "Exit Orvo-Player", 0, &TFormPlayer::Exit1Click);
    for (TMenuItem* item : {Open2Dfile1, NextFile1, PreviousFile1, CloseCurrentvideo1, Exit1})
        item->setCheckable(false);
    // Until a file is open: the folder of the open file is the playlist.
    NextFile1->setEnabled(false);
    PreviousFile1->setEnabled(false);

    Options1 = submenu(nullptr, "Options1", "Options");
    FileInfo1 = Item(Options1, "FileInfo1", "File Info", 0, &TFormPlayer::FileInfo1Click);
    FileInfo1->setCheckable(false);
    Streams3 = submenu(Options1, "Streams3", "Streams");
    Video2 = submenu(Streams3, "Video2", "Video");
    Audio2 = submenu(Streams3, "Audio2", "Audio");
    Subtitles2 = submenu(Streams3, "Subtitles2", "Subtitles");

    N2D1 = submenu(Options1, "N2D1", "2D Video");
    BlueYellowGlasses1 = Item(N2D1, "BlueYellowGlasses1", "Blue/Yellow Glasses ", VIEW_BLUE_YELLOW,
                              &TFormPlayer::BlueYellowGlasses1Click);
    RedCyanGlasses1 =
        Item(N2D1, "RedCyanGlasses1", "Red/Cyan Glasses", VIEW_RED_CYAN, &TFormPlayer::BlueYellowGlasses1Click);
    GreenMagentaGlasses1 = Item(N2D1, "GreenMagentaGlasses1", "Green/Magenta Glasses", VIEW_GREEN_MAGENTA,
                                &TFormPlayer::BlueYellowGlasses1Click);
    NoGlassesLeftPart1 =
        Item(N2D1, "NoGlassesLeftPart1", "No Glasses Left Part", VIEW_FIRST, &TFormPlayer::BlueYellowGlasses1Click);
    NoGlassesRightPart1 = Item(N2D1, "NoGlassesRightPart1", "No Glasses Right Part", VIEW_SECOND,
                               &TFormPlayer::BlueYellowGlasses1Click);
    BlueYellowGlasses1->SetChecked(true);
    N2D1->addSeparator();
    OptimisedAnaglyph1 = Toggle(N2D1, "OptimisedAnaglyph1", "Colour-optimised Anaglyph", ATTRIB_ANAGLYPH_OPTIMISED);

    N31 = submenu(Options1, "N31", "3D Video");
    BlueYellowGlasses2 =
        Item(N31, "BlueYellowGlasses2", "Blue/Yellow Glasses", VIEW_BLUE_YELLOW, &TFormPlayer::BlueYellowGlasses2Click);
    RedCyanGlasses2 =
        Item(N31, "RedCyanGlasses2", "Red/Cyan Glasses", VIEW_RED_CYAN, &TFormPlayer::BlueYellowGlasses2Click);
    GreenMagentaGlasses2 = Item(N31, "GreenMagentaGlasses2", "Green/Magenta Glasses", VIEW_GREEN_MAGENTA,
                                &TFormPlayer::BlueYellowGlasses2Click);
    NoGlassesLeftPart2 =
        Item(N31, "NoGlassesLeftPart2", "No Glasses First Part", VIEW_FIRST, &TFormPlayer::BlueYellowGlasses2Click);
    NoGlasses2ndPart1 =
        Item(N31, "NoGlasses2ndPart1", "No Glasses 2nd Part", VIEW_SECOND, &TFormPlayer::BlueYellowGlasses2Click);
    SidebySidedisplay1 =
        Item(N31, "SidebySidedisplay1", "Side by Side display", 0, &TFormPlayer::SidebySidedisplay1Click);
    opBottomDisplay1 = Item(N31, "opBottomDisplay1", "Top/Bottom Display", 0, &TFormPlayer::opBottomDisplay1Click);
    N31->addSeparator();
    SwapEyes1 = Toggle(N31, "SwapEyes1", "Swap Eyes", ATTRIB_SWAP_EYES);
    OptimisedAnaglyph2 = Toggle(N31, "OptimisedAnaglyph2", "Colour-optimised Anaglyph", ATTRIB_ANAGLYPH_OPTIMISED);
    KeepAspectRatio1 = Toggle(Options1, "KeepAspectRatio1", "Keep Aspect Ratio", ATTRIB_KEEP_SHAPE);
    KeepAspectRatio1->setChecked(true);

    for (QMenu* menu : {Streams3, N2D1, N31}) menu->menuAction()->setEnabled(false);

    AboutMenu1 = submenu(nullptr, "AboutMenu1", "About");
    About1 = Item(AboutMenu1, "About1", "About Orvo-Player", 0, &TFormPlayer::About1Click);
    Keyboard1 = Item(AboutMenu1, "Keyboard1", "Keyboard", 0, &TFormPlayer::Keyboard1Click);
    for (TMenuItem* item : {About1, Keyboard1}) item->setCheckable(false);
}

void TFormPlayer::FormCreate() {
    QtDialogPresenter::Install(&m_presenter);
    Lumex_Init(Handle(this), 0);
    Lumex_SetConfig(CONFIG_WINDOW, intptr_t(Handle(Panel1)));
    Lumex_SetConfig(CONFIG_RENDERER, RENDERER_OWN);

    const QImage ruler(":/Progress"), progress(":/Progress_ruler"), thumb(":/progress_thumb2");
    Bar->thumb2 = QImage(":/progress_thumb");
    Bar->LoadBitmaps(ruler, thumb, progress);
    Bar->maxvalue = 0;
    Bar->minvalue = 0;
    Bar->SetValue(0);
    Bar->sec = true;

    PlayBtn->states = true;
    PlayBtn->update();
    volume = 100;
    DeviceCount = 0;
    Lumex_CaptureGetDevices(DEVICE_VIDEO, AddCaptureDevice, 0);
    Timer1->start();
}

void TFormPlayer::StartDesktopServices() {
    Inhibitor = new ScreenSaverInhibitor(this);
    connect(Session, &PlayerSession::PlayingChanged, Inhibitor, &ScreenSaverInhibitor::SetInhibited);
    Inhibitor->SetInhibited(Session->Playing());
    Mpris = new MprisService(*this);
}

void TFormPlayer::StopDesktopServices() {
    delete std::exchange(Mpris, nullptr);
    delete std::exchange(Inhibitor, nullptr);
}

void TFormPlayer::FormDestroy() {
    Timer1->stop();
    // Released through the session, so that what listens to it lets go too.
    if (CurrentChannel) Session->Release(false);
    Lumex_Free();
    QtDialogPresenter::Install(nullptr);
}

void TFormPlayer::dragEnterEvent(QDragEnterEvent* event) {
    if (!PlayerSession::DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TFormPlayer::dropEvent(QDropEvent* event) {
    if (Session->OpenDropped(event->mimeData())) event->acceptProposedAction();
}

void TFormPlayer::Openvideofile1Click(QObject*) {
    Session->Release(false);
    if (OD.Execute(this)) Session->OpenFile(OD.FileName, MediumLayout::Detected);
}

void TFormPlayer::Open2Dfile1Click(QObject*) {
    Session->Release(false);
    if (OD.Execute(this)) Session->OpenFile(OD.FileName, MediumLayout::Flat);
}

void TFormPlayer::Open3DTopBottomvideofile1Click(QObject* Sender) {
    xmode = 1;
    Button1Click(Sender);
}

void TFormPlayer::Openafile1Click(QObject* Sender) {
    xmode = 0;
    Button1Click(Sender);
}

void TFormPlayer::Button1Click(QObject*) {
    Session->Release(false);
    if (OD.Execute(this)) Session->OpenFile(OD.FileName, xmode == 1 ? MediumLayout::TopBottom : MediumLayout::LeftRight);
}

void TFormPlayer::OpenFirstVideoCaptureDevice1Click(QObject* Sender) {
    Session->OpenDevice(qobject_cast<TMenuItem*>(Sender));
}

void TFormPlayer::NextFile1Click(QObject*) { Session->OpenNeighbour(1); }
void TFormPlayer::PreviousFile1Click(QObject*) { Session->OpenNeighbour(-1); }

void TFormPlayer::CloseCurrentvideo1Click(QObject*) { Session->Release(false); }

void TFormPlayer::PlayBtnClick(QObject*) { Session->PlayPause(); }

void TFormPlayer::BarChange(QObject*) { Session->SeekFromBar(double(Bar->position2)); }

void TFormPlayer::Timer1Timer() {
    if (!CurrentChannel) {
        Image1->setVisible(true);
        if (VideoWindow) VideoWindow->Image1->setVisible(true);
        Label2->setText(FormatTime(0));
        Label1->setText("00:00");
        // The button repaints on every SetState: only a change is sent.
        if (PlayBtn->state != 0) PlayBtn->SetState(0);
        return;
    }
    if (Lumex_ChannelGetState(CurrentChannel) != CHANNEL_PLAYING) return;
    const bool device = Label2->text() == kDevice;
    const double p = std::nearbyint(Lumex_ChannelGetPosition(CurrentChannel, POS_SECONDS));
    if (!device) {
        // The bar repaints on every SetValue: only a move is sent.
        if (Bar->Value() != std::clamp(int64_t(p), Bar->minvalue, Bar->maxvalue)) Bar->SetValue(int64_t(p));
        Label1->setText(FormatTime(int32_t(Bar->Value())));
    } else {
        Label1->setText(FormatTime(int32_t(p)));
    }
    Image1->setVisible(false);
    if (VideoWindow) VideoWindow->Image1->setVisible(false);
    // The engine holds a finished file at its length; the player learns of the end by
    // comparing the exact position with the length.
    const double length = Lumex_ChannelGetLength(CurrentChannel, POS_REFTIME);
    if (!device && length > 0 && Lumex_ChannelGetPosition(CurrentChannel, POS_REFTIME) >= length) Session->ShowEnd();
}

void TFormPlayer::RepaintVideo() {
    if (!CurrentChannel) return;
    // Qt's fill of the window must reach the server before the engine's picture.
    SyncWithServer();
    Lumex_ChannelRepaint(CurrentChannel, 0, 0);
}

void TFormPlayer::SetVolume(int64_t value) { Session->SetVolume(value); }

void TFormPlayer::keyPressEvent(QKeyEvent* event) {
    if (!RunPlayerKey(*this, *event)) QMainWindow::keyPressEvent(event);
}

void TFormPlayer::PopupOptions(const QPoint& at) { Options1->popup(at); }

void TFormPlayer::OptionsOnRightClick(QWidget* widget) {
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this,
            [this, widget](const QPoint& at) { PopupOptions(widget->mapToGlobal(at)); });
}

void TFormPlayer::wheelEvent(QWheelEvent* event) {
    const int notches = TakeWheelNotches(m_wheelRest, event->angleDelta().y());
    for (int i = 0; i < std::abs(notches); ++i) notches > 0 ? FormMouseWheelUp() : FormMouseWheelDown();
    event->ignore();
}

void TFormPlayer::FormMouseWheelUp() { SetVolume(volume + 3); }
void TFormPlayer::FormMouseWheelDown() { SetVolume(volume - 3); }

void TFormPlayer::closeEvent(QCloseEvent* event) {
    event->accept();
    if (VideoWindow && VideoWindow->isVisible()) VideoWindow->close();
    QCoreApplication::quit();
}

void TFormPlayer::Panel1DblClick(QObject*) { FullScreenToggle(); }
void TFormPlayer::fullscreen_btnClick(QObject*) { FullScreenToggle(); }

void TFormPlayer::FullScreenToggle() {
    if (!VideoWindow) return;
    if (VideoWindow->isVisible()) {
        VideoWindow->close();
    } else {
        VideoWindow->show();
        Panel2->setParent(VideoWindow);
        Panel2->move(VideoWindow->width() / 2 - Panel2->width() / 2, VideoWindow->height() - Panel2->height());
        Panel2->show();
        Panel2->raise();
        SyncWithServer();
    }
    Panel1->update();
}

void TFormPlayer::FileInfo1Click(QObject*) {
    if (!CurrentChannel) {
        QMessageBox::information(this, "Info", "No File is currently open");
        return;
    }
    if (!FInfo) FInfo = new TFInfo(this);
    FInfo->show();
    FInfo->raise();
}

void TFormPlayer::About1Click(QObject*) {
    QMessageBox::information(this, "About",
                             "Orvo-Player v1.3\n"
                             "A player for stereoscopic video.\n"
                             "Made by the Orvo-Player team.\n"
                             "The keys are listed under About > Keyboard.");
    const QString readme = ReadmePath();
    if (!readme.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(readme));
}

void TFormPlayer::Keyboard1Click(QObject*) {
    QMessageBox box(QMessageBox::Information, "Keyboard", PlayerKeysTable(), QMessageBox::Ok, this);
    box.setTextFormat(Qt::RichText);
    box.exec();
}

void TFormPlayer::Exit1Click(QObject*) { close(); }

void TFormPlayer::BlueYellowGlasses1Click(QObject* Sender) {
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_VIEW_MODE, float(TagOf(Sender)));
    UncheckAll(N2D1);
    if (auto* item = qobject_cast<TMenuItem*>(Sender)) item->SetChecked(true);
}

void TFormPlayer::BlueYellowGlasses2Click(QObject* Sender) {
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_STEREO_MODE, xmode == 0 ? STEREO_SIDE_BY_SIDE : STEREO_TOP_BOTTOM);
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_VIEW_MODE, float(TagOf(Sender)));
    UncheckAll(N31);
    if (auto* item = qobject_cast<TMenuItem*>(Sender)) item->SetChecked(true);
}

void TFormPlayer::SidebySidedisplay1Click(QObject* Sender) {
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_STEREO_MODE, xmode == 0 ? STEREO_FULL_FRAME : STEREO_TB_TO_SBS);
    UncheckAll(N31);
    if (auto* item = qobject_cast<TMenuItem*>(Sender)) item->SetChecked(true);
}

void TFormPlayer::opBottomDisplay1Click(QObject* Sender) {
    if (xmode == 0) {
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_STEREO_MODE, STEREO_SBS_TO_TB);
    } else {
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_STEREO_MODE, STEREO_TOP_BOTTOM);
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_VIEW_MODE, VIEW_WHOLE_FRAME);
    }
    UncheckAll(N31);
    if (auto* item = qobject_cast<TMenuItem*>(Sender)) item->SetChecked(true);
}

void TFormPlayer::SetStreamsInfo() {
    for (QMenu* menu : {Video2, Audio2, Subtitles2}) ClearMenu(menu);
    const int32_t count = Lumex_ChannelStreamsCount(CurrentChannel);
    if (count < 1) {
        for (QMenu* menu : {Video2, Audio2, Subtitles2}) {
            QAction* item = menu->addAction("Default Stream");
            item->setEnabled(false);
        }
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        StreamInfo record{};
        if (!Lumex_ChannelGetStream(CurrentChannel, i, &record)) continue;
        // A stream that reports no media type has no menu to go to.
        QMenu* menu = record.type == 1 ? Video2 : record.type == 2 ? Audio2 : record.type == 3 ? Subtitles2 : nullptr;
        if (!menu) continue;
        auto* item = new TMenuItem(QString(), QString::fromUtf8(record.name ? record.name : ""), MainMenu1, i);
        item->SetChecked(record.enabled != 0);
        connect(item, &QAction::triggered, this, [this, item] { EnableStream(item); });
        menu->addAction(item);
    }
}

void TFormPlayer::EnableStream(QObject* Sender) { Lumex_ChannelEnableStream(CurrentChannel, TagOf(Sender)); }
