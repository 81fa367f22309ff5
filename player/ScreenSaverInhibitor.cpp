#include "ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <xcb/xcb.h>

namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
constexpr int kResetMs = 20000;       // well inside the shortest blanking time desktops offer
constexpr int kLetGoTimeoutMs = 2000;  // at exit: the service's answer, or go without it

QDBusMessage ScreenSaverCall(const char* method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

// The session bus when it is up and a screen saver service is on it.
bool ServicePresent() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kService).value();
}

}  // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QObject* parent) : QObject(parent) {
    m_reset.setInterval(kResetMs);
    connect(&m_reset, &QTimer::timeout, this, &ScreenSaverInhibitor::ResetX);
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    m_wanted = false;
    // An inhibition asked for is let go of too, once granted.
    if (m_asking) m_asking->waitForFinished();  // which may already run Answered
    if (m_asking) Answered();
    LetGo(true);
}

void ScreenSaverInhibitor::SetInhibited(bool on) {
    if (on == m_wanted) return;
    m_wanted = on;
    if (!on) {
        m_reset.stop();
        LetGo(false);
    } else if (!m_held && !m_asking) {
        AskService();
    }
}

// Asynchronous: the service may live in a process that is itself waiting on this one.
void ScreenSaverInhibitor::AskService() {
    if (!ServicePresent()) {
        ResetX();
        m_reset.start();
        return;
    }
    QDBusMessage call = ScreenSaverCall("Inhibit");
    call << QStringLiteral("Orvo-Player") << QStringLiteral("Playing video");
    m_asking = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(m_asking, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibitor::Answered);
}

void ScreenSaverInhibitor::Answered() {
    const QDBusPendingReply<uint32_t> reply = *m_asking;
    m_asking->deleteLater();
    m_asking = nullptr;
    if (reply.isError()) {
        // A service that refuses: the X timer still keeps the screen on.
        if (m_wanted) ResetX(), m_reset.start();
        return;
    }
    m_cookie = reply.value();
    m_held = true;
    // Paused, stopped or closed while the answer was on its way.
    if (!m_wanted) LetGo(false);
}

void ScreenSaverInhibitor::LetGo(bool wait) {
    if (!m_held) return;
    m_held = false;
    QDBusMessage call = ScreenSaverCall("UnInhibit");
    call << m_cookie;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (wait) bus.call(call, QDBus::Block, kLetGoTimeoutMs);
    else bus.asyncCall(call);
}

void ScreenSaverInhibitor::ResetX() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return;
    xcb_force_screen_saver(connection, XCB_SCREEN_SAVER_RESET);
    xcb_flush(connection);
}
