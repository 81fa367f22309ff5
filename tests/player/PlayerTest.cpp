#include "PlayerTest.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWindow>
#include <QWidget>

#include "OpenDialog.h"
#include "Program.h"
#include "Unit1.h"
#include "tests/media/MediaClip.h"
#include "tests/support/TestWindow.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {

void PlayerTest::SetUp() {
    ORVO_REQUIRE_DISPLAY();
    CreateForms();
    FormPlayer->show();
    ASSERT_TRUE(WaitFor([] { return FormPlayer->isVisible() && FormPlayer->windowHandle()->isExposed(); }));
    TakeEngineCalls();
}

void PlayerTest::TearDown() {
    if (!FormPlayer) return;
    DestroyForms();
    TOpenDialog::Chooser = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void PlayerTest::OpenWith(QAction* item, const std::string& clip) {
    const std::string path = clip.empty() ? std::string() : MediaClip(clip);
    ASSERT_TRUE(clip.empty() || !path.empty()) << clip;
    TOpenDialog::Chooser = [path] { return QString::fromStdString(path); };
    item->trigger();
    TOpenDialog::Chooser = nullptr;
}

void PlayerTest::Open2D(const std::string& clip) { OpenWith(FormPlayer->Open2Dfile1, clip); }
void PlayerTest::OpenLeftRight(const std::string& clip) { OpenWith(FormPlayer->Openafile1, clip); }
void PlayerTest::OpenTopBottom(const std::string& clip) { OpenWith(FormPlayer->Open3DTopBottomvideofile1, clip); }

void PlayerTest::Pump(std::chrono::milliseconds time) {
    WaitFor([] { return false; }, time);
}

bool PlayerTest::WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

std::vector<uint32_t> PlayerTest::Pixels(QWidget* window) {
    return WindowPixels(HWND(window->winId()), window->width(), window->height());
}

uint32_t PlayerTest::Pixel(QWidget* window, int x, int y) {
    const std::vector<uint32_t> pixels = Pixels(window);
    const size_t at = size_t(y) * window->width() + x;
    return at < pixels.size() ? pixels[at] : 0xFFFFFFFFu;
}

bool PlayerTest::WaitForColour(QWidget* window, int x, int y, uint32_t colour, std::chrono::milliseconds timeout) {
    return WaitFor([&] { return bool(NearColour(Pixel(window, x, y), colour)); }, timeout);
}

void PlayerTest::OnNextModal(std::function<void(QWidget*)> check) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, check] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        poll->stop();
        poll->deleteLater();
        check(modal);
        modal->close();
    });
    poll->start(20);
}

}  // namespace orvo::test
