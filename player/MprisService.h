#pragma once
// The player on the session bus as an MPRIS 2 media player, so that media keys, the
// desktop's sound menu and remotes reach it: the service org.mpris.MediaPlayer2.orvoplayer
// (with an instance suffix when another player holds that name), the object
// /org/mpris/MediaPlayer2 with the root and the player interfaces. Every request goes
// through the main window's handlers and its session. Without a session bus nothing is
// registered and nothing is said. GUI thread only: Qt D-Bus delivers calls there.
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

class TFormPlayer;

class MprisRoot : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)
    Q_PROPERTY(bool Fullscreen READ Fullscreen WRITE SetFullscreen)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    MprisRoot(QObject* object, TFormPlayer& player);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool CanSetFullscreen() const { return true; }
    bool Fullscreen() const;
    void SetFullscreen(bool on);
    bool HasTrackList() const { return false; }
    QString Identity() const { return QStringLiteral("Orvo-Player"); }
    QString DesktopEntry() const { return QStringLiteral("orvo-player"); }
    QStringList SupportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    TFormPlayer& m_player;
};

class MprisPlayer : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPlay)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)

public:
    MprisPlayer(QObject* object, TFormPlayer& player);

    QString PlaybackStatus() const;
    // The engine plays at its normal rate only.
    double Rate() const { return 1.0; }
    void SetRate(double) {}
    QVariantMap Metadata() const;
    double Volume() const;
    void SetVolume(double volume);
    qlonglong Position() const;  // microseconds
    bool CanGoNext() const;
    bool CanGoPrevious() const;
    bool CanPlay() const;
    bool CanSeek() const;
    bool CanControl() const { return true; }

    // A new track id for each medium opened.
    void NewTrack() { ++m_track; }
    QDBusObjectPath TrackId() const;

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& track, qlonglong position);
    void OpenUri(const QString& uri);

signals:
    void Seeked(qlonglong position);

private:
    TFormPlayer& m_player;
    uint64_t m_track = 0;
};

// The exported object: registers the service and tells listeners what changed.
class MprisService : public QObject {
    Q_OBJECT

public:
    explicit MprisService(TFormPlayer& player);
    ~MprisService() override;

    // The bus name held, empty when there is no session bus.
    const QString& ServiceName() const { return m_name; }
    // Sends PropertiesChanged for the interface with the named properties' values.
    void Changed(QDBusAbstractAdaptor* adaptor, const QStringList& names);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MprisRoot* m_root;
    MprisPlayer* m_player;
    QString m_name;
};
