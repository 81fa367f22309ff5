#include "MprisService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QEvent>
#include <QFileInfo>
#include <QMetaProperty>
#include <QUrl>
#include <cmath>
#include <unistd.h>

#include "FolderPlaylist.h"
#include "Unit1.h"
#include "VideoForm.h"

namespace {

constexpr const char* kName = "org.mpris.MediaPlayer2.orvoplayer";
constexpr const char* kPath = "/org/mpris/MediaPlayer2";
constexpr const char* kTrackPath = "/org/orvoplayer/track/";
constexpr double kMicroseconds = 1e6;

PlayerSession& Session(TFormPlayer& player) { return *player.Session; }

}  // namespace

MprisRoot::MprisRoot(QObject* object, TFormPlayer& player) : QDBusAbstractAdaptor(object), m_player(player) {}

bool MprisRoot::Fullscreen() const { return VideoWindow && VideoWindow->isVisible(); }

void MprisRoot::SetFullscreen(bool on) {
    if (on != Fullscreen()) m_player.fullscreen_btnClick(m_player.fullscreen_btn);
}

// The types the desktop entry declares, handed over by the build.
QStringList MprisRoot::SupportedMimeTypes() const {
    return QString(ORVO_MIME_TYPES).split(',', Qt::SkipEmptyParts);
}

void MprisRoot::Raise() {
    QWidget* window = Fullscreen() ? static_cast<QWidget*>(VideoWindow) : &m_player;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void MprisRoot::Quit() { m_player.Exit1Click(m_player.Exit1); }

MprisPlayer::MprisPlayer(QObject* object, TFormPlayer& player) : QDBusAbstractAdaptor(object), m_player(player) {}

QString MprisPlayer::PlaybackStatus() const {
    if (!CurrentChannel) return QStringLiteral("Stopped");
    switch (Lumex_ChannelGetState(CurrentChannel)) {
    case CHANNEL_PLAYING: return QStringLiteral("Playing");
    case CHANNEL_PAUSED: return QStringLiteral("Paused");
    default: return QStringLiteral("Stopped");
    }
}

QDBusObjectPath MprisPlayer::TrackId() const { return QDBusObjectPath(kTrackPath + QString::number(m_track)); }

QVariantMap MprisPlayer::Metadata() const {
    if (!CurrentChannel) return {};
    QVariantMap metadata{{"mpris:trackid", QVariant::fromValue(TrackId())}};
    const PlayerSession& session = Session(m_player);
    if (session.FileName().isEmpty()) {
        metadata["xesam:title"] = QStringLiteral("Video device");
        return metadata;
    }
    metadata["mpris:length"] = qlonglong(session.Length() * kMicroseconds);
    metadata["xesam:title"] = QFileInfo(session.FileName()).completeBaseName();
    metadata["xesam:url"] = QUrl::fromLocalFile(session.FileName()).toString();
    return metadata;
}

double MprisPlayer::Volume() const { return Session(m_player).Muted() ? 0.0 : double(m_player.volume) / 100.0; }

void MprisPlayer::SetVolume(double volume) { m_player.SetVolume(int64_t(std::lround(volume * 100.0))); }

qlonglong MprisPlayer::Position() const { return qlonglong(Session(m_player).Position() * kMicroseconds); }

bool MprisPlayer::CanGoNext() const {
    const QString& file = Session(m_player).FileName();
    return !file.isEmpty() && !NeighbourFile(file, 1).isEmpty();
}

bool MprisPlayer::CanGoPrevious() const {
    const QString& file = Session(m_player).FileName();
    return !file.isEmpty() && !NeighbourFile(file, -1).isEmpty();
}

bool MprisPlayer::CanPlay() const { return CurrentChannel != 0; }
bool MprisPlayer::CanSeek() const { return !Session(m_player).FileName().isEmpty(); }

void MprisPlayer::Next() { m_player.NextFile1Click(m_player.NextFile1); }
void MprisPlayer::Previous() { m_player.PreviousFile1Click(m_player.PreviousFile1); }
void MprisPlayer::Pause() { Session(m_player).Pause(); }
void MprisPlayer::PlayPause() { m_player.PlayBtnClick(m_player.PlayBtn); }
void MprisPlayer::Stop() { Session(m_player).Stop(); }
void MprisPlayer::Play() { Session(m_player).Play(); }

void MprisPlayer::Seek(qlonglong offset) {
    if (CanSeek()) Session(m_player).SeekBy(double(offset) / kMicroseconds);
}

// Only for the track playing, and within it: otherwise the request is ignored.
void MprisPlayer::SetPosition(const QDBusObjectPath& track, qlonglong position) {
    PlayerSession& session = Session(m_player);
    if (!CanSeek() || track != TrackId() || position < 0 || double(position) / kMicroseconds > session.Length())
        return;
    session.SeekTo(double(position) / kMicroseconds);
}

// Opens a local file as a 2D file, as "Open 2D file..." does.
void MprisPlayer::OpenUri(const QString& uri) {
    const QUrl url(uri);
    if (url.isLocalFile()) Session(m_player).OpenFile(url.toLocalFile(), MediumLayout::Flat);
}

MprisService::MprisService(TFormPlayer& player) : QObject(&player) {
    m_root = new MprisRoot(this, player);
    m_player = new MprisPlayer(this, player);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportAdaptors)) return;
    const QString names[] = {kName, QString("%1.instance%2").arg(kName).arg(getpid())};
    for (const QString& name : names) {
        if (!bus.registerService(name)) continue;
        m_name = name;
        break;
    }
    if (m_name.isEmpty()) {
        bus.unregisterObject(kPath);
        return;
    }

    PlayerSession* session = player.Session;
    connect(session, &PlayerSession::MediumChanged, this, [this] {
        m_player->NewTrack();
        Changed(m_player, {"Metadata", "PlaybackStatus", "CanGoNext", "CanGoPrevious", "CanPlay", "CanPause",
                           "CanSeek"});
    });
    connect(session, &PlayerSession::PlayingChanged, this, [this] { Changed(m_player, {"PlaybackStatus"}); });
    connect(session, &PlayerSession::VolumeChanged, this, [this] { Changed(m_player, {"Volume"}); });
    connect(session, &PlayerSession::Seeked, this,
            [this](double seconds) { emit m_player->Seeked(qlonglong(seconds * kMicroseconds)); });
    if (VideoWindow) VideoWindow->installEventFilter(this);
}

// The full-screen window shown or hidden: the root interface's Fullscreen changed.
bool MprisService::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Show || event->type() == QEvent::Hide) Changed(m_root, {"Fullscreen"});
    return false;
}

MprisService::~MprisService() {
    if (m_name.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_name);
    bus.unregisterObject(kPath);
}

void MprisService::Changed(QDBusAbstractAdaptor* adaptor, const QStringList& names) {
    const QMetaObject* meta = adaptor->metaObject();
    QVariantMap changed;
    for (const QString& name : names) {
        const QMetaProperty property = meta->property(meta->indexOfProperty(name.toLatin1()));
        changed[name] = property.read(adaptor);
    }
    const char* interface = meta->classInfo(meta->indexOfClassInfo("D-Bus Interface")).value();
    QDBusMessage signal =
        QDBusMessage::createSignal(kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(interface) << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}
