#pragma once
// PlayerSession: the one sequence that opens a medium, applies its modes, plays, seeks and
// closes it. The menus, the command line, the keys and the desktop's media controls all go
// through it, so every way in does exactly what the menu open does. It drives the engine
// for CurrentChannel and keeps the main window's bar, labels, menus and play button in step.
// GUI thread only.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

#include "MediumLayout.h"

class QMimeData;
class TFormPlayer;
class TMenuItem;

class PlayerSession : public QObject {
    Q_OBJECT

public:
    explicit PlayerSession(TFormPlayer& form);

    // Frees the open medium and returns the window to idle; uncheckDevices also takes the
    // marks off the device items (the device open does that). Nothing open: nothing happens.
    void Release(bool uncheckDevices);
    // Opens the file as the open item of that layout does after its dialog and starts it;
    // false, and idle, when the engine cannot open it.
    bool OpenFile(const QString& name, MediumLayout layout);
    // The local file a drag carries (the first of its URLs), or empty.
    static QString DroppedFile(const QMimeData* data);
    // A file dropped onto a window opens as "Open video file..." opens it.
    bool OpenDropped(const QMimeData* data);
    // Opens the capture device of the item (its Tag is the device number) and starts it.
    bool OpenDevice(TMenuItem* item);

    void PlayPause();
    void Play();
    void Pause();
    // Stopped, at the start.
    void Stop();
    // The seek bar's press and release: to the bar's whole seconds, as the engine takes them.
    // A release lands exactly there, whatever drag seek is still on its way.
    void SeekFromBar(double seconds);
    // The seek bar dragged to seconds: the picture follows with one seek at a time on its
    // way; positions dragged to meanwhile wait, and only the latest is sent once that seek
    // has landed, so a fast drag never piles seeks up.
    void DragBar(double seconds);
    // To the time in seconds, kept within the file; the bar and the elapsed time follow.
    void SeekTo(double seconds);
    void SeekBy(double seconds);
    // The volume, 0..100, to the window, and to the engine unless muted: a mute lasts
    // through volume changes and opens until it is switched off.
    void SetVolume(int64_t value);
    // Silences the engine, or gives it the window's volume again.
    void ToggleMute();
    bool Muted() const { return m_muted; }
    // While paused, shows the next frame of a file.
    void StepFrame();
    // Opens the next (step > 0) or previous media file of the open file's folder with the
    // open file's layout; false when there is none.
    bool OpenNeighbour(int step);

    // Pauses on the last picture with the bar and the elapsed time at the end.
    void ShowEnd();
    // Whether the open file played to its end and waits, paused on its last picture, for
    // Play to start it again.
    bool Ended() const { return m_ended; }
    bool Playing() const;
    // The open file and its layout; empty while nothing or a device is open.
    const QString& FileName() const { return m_fileName; }
    MediumLayout Layout() const { return m_layout; }
    // Length and position in seconds, 0 while nothing is open.
    double Length() const;
    double Position() const;

signals:
    // A medium was opened or released.
    void MediumChanged();
    // The channel started or stopped playing (paused, stopped, ended, released).
    void PlayingChanged(bool playing);
    // The volume or the mute changed.
    void VolumeChanged();
    // The position was moved by a seek, to seconds.
    void Seeked(double seconds);

private:
    bool CreateFileChannel(const QString& name);
    void BindVideoWindow();
    void ApplyFlatViewMode();
    // The layout to open the file of the new channel with; a detected right-first pair marks
    // "Swap Eyes".
    MediumLayout ResolveLayout(MediumLayout layout);
    // The swap, the optimised anaglyph and the shape as the menus have them.
    void ApplyPictureOptions(MediumLayout layout);
    void Started();
    void NotePlaying();
    void SeekBarTo(double seconds);
    void SendDragSeek(double seconds);
    // A drag seek has landed once the position leaves its target (the first frame after it
    // is shown), or, as a paused channel's position stays there, after kDragSeekWait.
    void CheckDragSeek();

    TFormPlayer& m_form;
    QString m_fileName;
    MediumLayout m_layout = MediumLayout::Flat;
    bool m_ended = false;
    bool m_muted = false;
    bool m_playing = false;  // as last told through PlayingChanged
    double m_dragSeek = -1;                // seconds of the drag seek on its way; -1 none
    std::optional<double> m_dragWaiting;   // the latest position dragged to since
    QElapsedTimer m_dragSeekSent;
    QTimer m_dragSeekCheck;
};
