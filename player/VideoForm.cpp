#include "VideoForm.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QWheelEvent>
#include <cstdlib>

#include "PlayerKeys.h"
#include "Unit1.h"
#include "X11Sync.h"
#include "platform/window/WindowSystem.h"

TVideoWindow::TVideoWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    VideoWindow = this;
    setObjectName("VideoWindow");
    setAcceptDrops(true);
    setWindowTitle("FullScreen");
    setAttribute(Qt::WA_NativeWindow);
    new RedrawNotifier(this, [] { FormPlayer->RepaintVideo(); });
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    resize(807, 458);
    Image1 = new TImage("Image1", this);
    Image1->setGeometry(rect());
    Image1->OnDblClick = [this](QObject* sender) { FormDblClick(sender); };
    FormPlayer->OptionsOnRightClick(this);
    FormPlayer->OptionsOnRightClick(Image1);
    FormCreate();
}

void TVideoWindow::FormCreate() { Image1->setPixmap(FormPlayer->Image1->pixmap()); }

// The work area, not the whole screen: panels the window manager reserves stay visible.
void TVideoWindow::FormShow() {
    RECT area{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0))
        setGeometry(area.left, area.top, area.right - area.left, area.bottom - area.top);
    raise();
    SyncWithServer();
    Lumex_ChannelSetWindow(CurrentChannel, 0, Handle(this));
}

void TVideoWindow::FormClose() {
    TPanel* strip = FormPlayer->Panel2;
    strip->setParent(FormPlayer->Client);
    strip->move(0, FormPlayer->Client->height() - strip->height());
    strip->show();
    Lumex_ChannelSetWindow(CurrentChannel, 0, Handle(FormPlayer->Panel1));
}

void TVideoWindow::FormDblClick(QObject*) { close(); }

void TVideoWindow::FormMouseWheelUp() { FormPlayer->SetVolume(FormPlayer->volume + 3); }
void TVideoWindow::FormMouseWheelDown() { FormPlayer->SetVolume(FormPlayer->volume - 3); }

void TVideoWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TVideoWindow::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TVideoWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Image1->setGeometry(rect());
}

void TVideoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) FormDblClick(this);
}

void TVideoWindow::keyPressEvent(QKeyEvent* event) {
    if (!RunPlayerKey(*FormPlayer, *event)) QWidget::keyPressEvent(event);
}

void TVideoWindow::wheelEvent(QWheelEvent* event) {
    const int notches = TakeWheelNotches(m_wheelRest, event->angleDelta().y());
    for (int i = 0; i < std::abs(notches); ++i) notches > 0 ? FormMouseWheelUp() : FormMouseWheelDown();
    event->ignore();
}

void TVideoWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!PlayerSession::DroppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TVideoWindow::dropEvent(QDropEvent* event) {
    if (FormPlayer && FormPlayer->Session->OpenDropped(event->mimeData())) event->acceptProposedAction();
}
