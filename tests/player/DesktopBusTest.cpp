// The player on a private session bus: its MPRIS service read and driven by a D-Bus client
// of the test's own, and a screen saver service of the test's that records what the player
// asks of it. Both talk to the real windows over the real engine. The test's service runs
// on a thread of its own, as it would in another process, so the player's calls never wait
// on the test's event loop.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUrl>

#include <mutex>

#include "MprisService.h"
#include "OpenDialog.h"
#include "PlayerTest.h"
#include "Program.h"
#include "ScreenSaverInhibitor.h"
#include "Unit1.h"
#include "VideoForm.h"
#include "tests/media/MediaClip.h"
#include "tests/support/SessionBus.h"

namespace orvo::test {
namespace {

constexpr const char* kMpris = "org.mpris.MediaPlayer2.orvoplayer";
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kRoot = "org.mpris.MediaPlayer2";
constexpr const char* kPlayer = "org.mpris.MediaPlayer2.Player";

// Stands in for the desktop's screen saver: hands out cookies and records each request.
class ScreenSaverService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    std::vector<std::string> Requests() {
        std::lock_guard lock(m_lock);
        return m_requests;
    }

public slots:
    uint Inhibit(const QString& application, const QString&) {
        std::lock_guard lock(m_lock);
        m_requests.push_back("Inhibit " + application.toStdString() + " " + std::to_string(++m_cookie));
        return m_cookie;
    }
    void UnInhibit(uint cookie) {
        std::lock_guard lock(m_lock);
        m_requests.push_back("UnInhibit " + std::to_string(cookie));
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_requests;
    uint m_cookie = 0;
};

// The service on a connection and a thread of its own, for the scope.
class ScreenSaver {
public:
    ScreenSaver() : m_bus(QDBusConnection::connectToBus(QString::fromStdString(SessionBus::Address()), "screensaver")) {
        m_thread.start();
        m_service.moveToThread(&m_thread);
        m_bus.registerObject("/org/freedesktop/ScreenSaver", &m_service, QDBusConnection::ExportAllSlots);
        m_bus.registerService("org.freedesktop.ScreenSaver");
    }
    ~ScreenSaver() {
        m_bus.unregisterService("org.freedesktop.ScreenSaver");
        m_bus.unregisterObject("/org/freedesktop/ScreenSaver");
        m_thread.quit();
        m_thread.wait();
        QDBusConnection::disconnectFromBus("screensaver");
    }
    std::vector<std::string> Requests() { return m_service.Requests(); }

private:
    QDBusConnection m_bus;
    QThread m_thread;
    ScreenSaverService m_service;
};

// What the test's client hears from the player.
class Listener : public QObject {
    Q_OBJECT

public:
    std::vector<qlonglong> seeked;
    QStringList statuses;  // PlaybackStatus values announced by PropertiesChanged

public slots:
    void Seeked(qlonglong position) { seeked.push_back(position); }
    void PropertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&) {
        if (interface == kPlayer && changed.contains("PlaybackStatus"))
            statuses << changed["PlaybackStatus"].toString();
    }
};

class DesktopBusTest : public PlayerTest {
protected:
    void SetUp() override {
        ORVO_REQUIRE_SESSION_BUS();
        PlayerTest::SetUp();
    }

    // A call from the test's own connection, answered while the event loop runs.
    QDBusMessage Call(const char* interface, const char* method, const QVariantList& arguments = {}) {
        QDBusMessage call = QDBusMessage::createMethodCall(kMpris, kPath, interface, method);
        call.setArguments(arguments);
        QDBusPendingCall pending = m_client.asyncCall(call);
        EXPECT_TRUE(WaitFor([&] { return pending.isFinished(); })) << method;
        const QDBusMessage reply = pending.reply();
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << method << ": " << reply.errorMessage().toStdString();
        return reply;
    }
    QVariant Get(const char* interface, const char* name) {
        const QDBusMessage reply = Call("org.freedesktop.DBus.Properties", "Get", {interface, name});
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments()[0].value<QDBusVariant>().variant();
    }
    void Set(const char* interface, const char* name, const QVariant& value) {
        Call("org.freedesktop.DBus.Properties", "Set", {interface, name, QVariant::fromValue(QDBusVariant(value))});
    }
    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get(kPlayer, "Metadata")); }

    QDBusConnection m_client =
        QDBusConnection::connectToBus(QString::fromStdString(SessionBus::Address()), "mpris-client");
};

TEST_F(DesktopBusTest, MprisReportsThePlayingClipAndControlsThePlayer) {
    Listener listener;
    ASSERT_TRUE(m_client.connect(kMpris, kPath, kPlayer, "Seeked", &listener, SLOT(Seeked(qlonglong))));
    ASSERT_TRUE(m_client.connect(kMpris, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged", &listener,
                                 SLOT(PropertiesChanged(QString, QVariantMap, QStringList))));
    EXPECT_EQ(FormPlayer->Mpris->ServiceName(), kMpris);
    EXPECT_EQ(Get(kRoot, "Identity").toString(), "Orvo-Player");
    EXPECT_EQ(Get(kRoot, "DesktopEntry").toString(), "orvo-player");
    EXPECT_EQ(Get(kRoot, "SupportedUriSchemes").toStringList(), QStringList{"file"});
    EXPECT_TRUE(Get(kRoot, "SupportedMimeTypes").toStringList().contains("video/x-matroska"));
    EXPECT_TRUE(Get(kRoot, "CanQuit").toBool());
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Stopped");

    // A folder of two clips, the first 12 s long.
    QTemporaryDir folder;
    ASSERT_TRUE(QFile::link(QString::fromStdString(MediaClip("flat_12s.mkv")), folder.filePath("part 1.mkv")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(MediaClip("flat.mkv")), folder.filePath("part 2.mkv")));
    const QString first = folder.filePath("part 1.mkv"), second = folder.filePath("part 2.mkv");
    TOpenDialog::Chooser = [&] { return first; };
    FormPlayer->Open2Dfile1->trigger();
    ASSERT_NE(CurrentChannel, 0u);

    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
    QVariantMap metadata = Metadata();
    EXPECT_NEAR(metadata["mpris:length"].toLongLong(), 12'000'000, 100'000);
    EXPECT_EQ(metadata["xesam:url"].toString(), QUrl::fromLocalFile(first).toString());
    EXPECT_EQ(metadata["xesam:title"].toString(), "part 1");
    const QDBusObjectPath track = metadata["mpris:trackid"].value<QDBusObjectPath>();
    EXPECT_FALSE(track.path().isEmpty());
    EXPECT_TRUE(Get(kPlayer, "CanGoNext").toBool());
    EXPECT_FALSE(Get(kPlayer, "CanGoPrevious").toBool());
    const qlonglong before = Get(kPlayer, "Position").toLongLong();
    Pump(600ms);
    EXPECT_GT(Get(kPlayer, "Position").toLongLong(), before + 300'000) << "the position advances while playing";

    Call(kPlayer, "PlayPause");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Paused");
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PAUSED);
    EXPECT_TRUE(WaitFor([&] { return listener.statuses.contains("Paused"); })) << "PropertiesChanged";

    Call(kPlayer, "SetPosition", {QVariant::fromValue(track), qlonglong(5'000'000)});
    EXPECT_NEAR(Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS), 5000, 1) << "the engine moved";
    EXPECT_TRUE(WaitFor([&] { return !listener.seeked.empty(); }));
    EXPECT_EQ(listener.seeked, std::vector<qlonglong>{5'000'000});
    Call(kPlayer, "Seek", {qlonglong(2'000'000)});
    EXPECT_NEAR(Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS), 7000, 1);
    Call(kPlayer, "SetPosition", {QVariant::fromValue(QDBusObjectPath("/org/orvoplayer/track/old")), qlonglong(1)});
    EXPECT_NEAR(Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS), 7000, 1) << "another track: ignored";

    Set(kPlayer, "Volume", 0.5);
    EXPECT_EQ(FormPlayer->volume, 50);
    EXPECT_DOUBLE_EQ(Get(kPlayer, "Volume").toDouble(), 0.5);
    Set(kRoot, "Fullscreen", true);
    EXPECT_TRUE(VideoWindow->isVisible());
    EXPECT_TRUE(Get(kRoot, "Fullscreen").toBool());
    Set(kRoot, "Fullscreen", false);
    EXPECT_FALSE(VideoWindow->isVisible());

    Call(kPlayer, "Next");
    EXPECT_EQ(Metadata()["xesam:url"].toString(), QUrl::fromLocalFile(second).toString());
    EXPECT_NE(Metadata()["mpris:trackid"].value<QDBusObjectPath>(), track) << "a new track id";
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Playing");
    Call(kPlayer, "Previous");
    EXPECT_EQ(FormPlayer->Session->FileName(), first);
    Call(kPlayer, "OpenUri", {QUrl::fromLocalFile(second).toString()});
    EXPECT_EQ(FormPlayer->Session->FileName(), second);
    Call(kPlayer, "Stop");
    EXPECT_EQ(Get(kPlayer, "PlaybackStatus").toString(), "Stopped");
    EXPECT_EQ(Lumex_ChannelGetPosition(CurrentChannel, POS_MILLISECONDS), 0);

    Call(kRoot, "Quit");
    EXPECT_FALSE(FormPlayer->isVisible());
}

// The inhibition is held while a channel plays and let go on pause, at the end of the file
// and when the player goes.
TEST_F(DesktopBusTest, TheScreenSaverIsHeldOffWhilePlaying) {
    ScreenSaver saver;
    const auto requests = [&](std::vector<std::string> expected) {
        return WaitFor([&] { return saver.Requests() == expected; });
    };
    Open2D("flat.mkv");
    EXPECT_TRUE(requests({"Inhibit Orvo-Player 1"}));
    QTest::keyClick(FormPlayer, Qt::Key_Space);
    EXPECT_TRUE(requests({"Inhibit Orvo-Player 1", "UnInhibit 1"})) << "paused";
    QTest::keyClick(FormPlayer, Qt::Key_Space);
    EXPECT_TRUE(requests({"Inhibit Orvo-Player 1", "UnInhibit 1", "Inhibit Orvo-Player 2"}));
    EXPECT_TRUE(WaitFor([] { return FormPlayer->Ended(); }, 6s));
    EXPECT_TRUE(requests({"Inhibit Orvo-Player 1", "UnInhibit 1", "Inhibit Orvo-Player 2", "UnInhibit 2"}))
        << "the end of the file";
    QTest::keyClick(FormPlayer, Qt::Key_Space);
    EXPECT_TRUE(requests({"Inhibit Orvo-Player 1", "UnInhibit 1", "Inhibit Orvo-Player 2", "UnInhibit 2",
                          "Inhibit Orvo-Player 3"}));
    EXPECT_FALSE(FormPlayer->Inhibitor->ResettingX()) << "the service answers";
    DestroyForms();
    EXPECT_EQ(saver.Requests().back(), "UnInhibit 3") << "at exit, before the player is gone";
}

// Where no screen saver service answers, the X server's timer is reset while playing only.
TEST_F(DesktopBusTest, WithoutAServiceTheXScreenSaverTimerIsResetWhilePlaying) {
    Open2D("flat.mkv");
    EXPECT_TRUE(FormPlayer->Inhibitor->ResettingX());
    QTest::keyClick(FormPlayer, Qt::Key_Space);
    EXPECT_FALSE(FormPlayer->Inhibitor->ResettingX());
}

}  // namespace
}  // namespace orvo::test

#include "DesktopBusTest.moc"
