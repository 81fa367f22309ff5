#pragma once
// Keeps the screen from blanking while a channel plays: an inhibition held through the
// desktop's screen saver service (org.freedesktop.ScreenSaver on the session bus) or, where
// no such service answers, the X server's screen saver timer reset at a steady pace. Without
// a session bus only the X reset is used; nothing is reported. GUI thread only.
#include <QDBusPendingCallWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>

class ScreenSaverInhibitor : public QObject {
    Q_OBJECT

public:
    explicit ScreenSaverInhibitor(QObject* parent);
    // Lets go of a held inhibition, waiting for the service's answer.
    ~ScreenSaverInhibitor() override;

    // Holds (true) or lets go of (false) the inhibition; repeated calls change nothing.
    void SetInhibited(bool on);
    // Whether the X screen saver timer is being reset, for want of a service.
    bool ResettingX() const { return m_reset.isActive(); }

private:
    void AskService();
    void Answered();
    void LetGo(bool wait);
    void ResetX();

    bool m_wanted = false;
    QDBusPendingCallWatcher* m_asking = nullptr;  // the Inhibit call on its way
    bool m_held = false;     // m_cookie names an inhibition the service holds
    uint32_t m_cookie = 0;
    QTimer m_reset;
};
