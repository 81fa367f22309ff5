#include "PlayerSession.h"

#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

#include "FolderPlaylist.h"
#include "Unit1.h"
#include "VideoForm.h"

namespace {

constexpr double kUnitsPerSecond = 1e7;  // of POS_REFTIME
constexpr int kDragSeekWaitMs = 250;
constexpr int kDragSeekCheckMs = 15;

}  // namespace

PlayerSession::PlayerSession(TFormPlayer& form) : QObject(&form), m_form(form) {
    m_dragSeekCheck.setInterval(kDragSeekCheckMs);
    connect(&m_dragSeekCheck, &QTimer::timeout, this, &PlayerSession::CheckDragSeek);
}

void PlayerSession::Release(bool uncheckDevices) {
    m_ended = false;
    m_fileName.clear();
    if (!CurrentChannel) return;
    Lumex_StreamFree(CurrentChannel);
    CurrentChannel = 0;
    m_form.Bar->maxvalue = 0;
    m_form.Bar->SetValue(0);
    m_form.Label2->setText(FormatTime(0));
    for (QMenu* menu : {m_form.Streams3, m_form.N2D1, m_form.N31}) menu->menuAction()->setEnabled(false);
    if (uncheckDevices) UncheckAll(m_form.OpenFirstVideoCaptureDevice1);
    NotePlaying();
    emit MediumChanged();
}

bool PlayerSession::CreateFileChannel(const QString& name) {
    CurrentChannel = Lumex_StreamCreateFile(name.utf16(), 0, Handle(m_form.Panel1), STREAM_UNICODE);
    if (!CurrentChannel) return false;
    m_form.Bar->maxvalue = int64_t(std::nearbyint(Lumex_ChannelGetLength(CurrentChannel, POS_SECONDS)));
    m_form.Label2->setText(FormatTime(int32_t(m_form.Bar->maxvalue)));
    BindVideoWindow();
    return true;
}

void PlayerSession::BindVideoWindow() {
    const bool fullScreen = VideoWindow && VideoWindow->isVisible();
    Lumex_ChannelSetWindow(CurrentChannel, 0,
                           Handle(fullScreen ? static_cast<QWidget*>(VideoWindow) : m_form.Panel1));
}

// A 2D source: the engine makes the second view by a sideways shift, combined as the
// checked "2D Video" item says.
void PlayerSession::ApplyFlatViewMode() {
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_STEREO_MODE, STEREO_FLAT);
    // The glasses items, whose Tag is their view mode; the menu's other items are options.
    for (QAction* action : m_form.N2D1->actions())
        if (auto* item = qobject_cast<TMenuItem*>(action); item && item->isChecked())
            Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_VIEW_MODE, float(item->Tag));
}

QString PlayerSession::DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().first().isLocalFile()) return {};
    return data->urls().first().toLocalFile();
}

bool PlayerSession::OpenDropped(const QMimeData* data) {
    const QString file = DroppedFile(data);
    return !file.isEmpty() && OpenFile(file, MediumLayout::Detected);
}

MediumLayout PlayerSession::ResolveLayout(MediumLayout layout) {
    if (layout != MediumLayout::Detected) return layout;
    LUMEX_STEREO_LAYOUT found{};
    if (!Lumex_StreamGetStereoLayout(CurrentChannel, &found)) return MediumLayout::Flat;
    if (found.layout != LAYOUT_SIDE_BY_SIDE && found.layout != LAYOUT_TOP_BOTTOM) return MediumLayout::Flat;
    m_form.SwapEyes1->setChecked(found.rightFirst != 0);
    return found.layout == LAYOUT_TOP_BOTTOM ? MediumLayout::TopBottom : MediumLayout::LeftRight;
}

void PlayerSession::ApplyPictureOptions(MediumLayout layout) {
    const auto on = [](const QAction* item) { return item->isChecked() ? 1.0f : 0.0f; };
    if (layout == MediumLayout::Flat) {
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_ANAGLYPH_OPTIMISED, on(m_form.OptimisedAnaglyph1));
    } else {
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_SWAP_EYES, on(m_form.SwapEyes1));
        Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_ANAGLYPH_OPTIMISED, on(m_form.OptimisedAnaglyph2));
    }
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_KEEP_SHAPE, on(m_form.KeepAspectRatio1));
}

bool PlayerSession::OpenFile(const QString& name, MediumLayout layout) {
    Release(false);
    if (!CreateFileChannel(name)) return false;
    m_fileName = name;
    m_layout = layout;
    layout = ResolveLayout(layout);
    if (layout == MediumLayout::Flat) {
        m_form.SetStreamsInfo();
        m_form.Streams3->menuAction()->setEnabled(true);
        ApplyFlatViewMode();
        m_form.N31->menuAction()->setEnabled(false);
        m_form.N2D1->menuAction()->setEnabled(true);
    } else {
        m_form.xmode = layout == MediumLayout::TopBottom ? 1 : 0;
        m_form.Streams3->menuAction()->setEnabled(true);
        m_form.SetStreamsInfo();
        m_form.N2D1->menuAction()->setEnabled(false);
        m_form.N31->menuAction()->setEnabled(true);
        // The open item takes the "3D Video" selection's mark: the engine gets the file's
        // stereo mode, then view mode 0.
        m_form.BlueYellowGlasses2Click(layout == MediumLayout::TopBottom ? m_form.Open3DTopBottomvideofile1
                                                                         : m_form.Openafile1);
    }
    ApplyPictureOptions(layout);
    SetVolume(m_form.volume);
    Started();
    return true;
}

bool PlayerSession::OpenDevice(TMenuItem* item) {
    Release(true);
    CurrentChannel = Lumex_CaptureCreate(-1, item ? item->Tag : 0, 0, 0, 0);
    if (!CurrentChannel) return false;
    m_form.Bar->maxvalue = 0;
    m_form.Label2->setText(TFormPlayer::kDevice);
    BindVideoWindow();
    m_form.SetStreamsInfo();
    m_form.Streams3->menuAction()->setEnabled(true);
    ApplyFlatViewMode();
    m_form.N31->menuAction()->setEnabled(false);
    m_form.N2D1->menuAction()->setEnabled(true);
    if (item) item->SetChecked(true);
    Started();
    return true;
}

void PlayerSession::Started() {
    Lumex_ChannelPlay(CurrentChannel);
    m_form.PlayBtn->SetState(2);
    emit MediumChanged();
    NotePlaying();
}

void PlayerSession::PlayPause() {
    if (!CurrentChannel) m_form.PlayBtn->SetState(0);
    else if (Lumex_ChannelGetState(CurrentChannel) == CHANNEL_PLAYING) Pause();
    else Play();
}

void PlayerSession::Play() {
    if (!CurrentChannel) return;
    // A file that played to its end starts again from the beginning.
    if (m_ended) Lumex_ChannelSetPosition(CurrentChannel, 0, POS_SECONDS);
    m_ended = false;
    Lumex_ChannelPlay(CurrentChannel);
    m_form.PlayBtn->SetState(2);
    NotePlaying();
}

void PlayerSession::Pause() {
    if (!CurrentChannel) return;
    Lumex_ChannelPause(CurrentChannel);
    m_form.PlayBtn->SetState(0);
    NotePlaying();
}

void PlayerSession::Stop() {
    if (!CurrentChannel) return;
    Lumex_ChannelStop(CurrentChannel);
    m_form.PlayBtn->SetState(0);
    SeekTo(0);
    NotePlaying();
}

void PlayerSession::SeekFromBar(double seconds) {
    m_dragWaiting.reset();
    m_dragSeek = -1;
    m_dragSeekCheck.stop();
    SeekBarTo(seconds);
}

void PlayerSession::SeekBarTo(double seconds) {
    m_ended = false;
    Lumex_ChannelSetPosition(CurrentChannel, seconds, POS_SECONDS);
    if (CurrentChannel) emit Seeked(seconds);
}

void PlayerSession::DragBar(double seconds) {
    if (!CurrentChannel) return;
    if (m_dragSeek >= 0) {
        m_dragWaiting = seconds;
        return;
    }
    SendDragSeek(seconds);
}

void PlayerSession::SendDragSeek(double seconds) {
    m_dragSeek = seconds;
    m_dragSeekSent.start();
    m_dragSeekCheck.start();
    SeekBarTo(seconds);
}

void PlayerSession::CheckDragSeek() {
    if (CurrentChannel && m_dragSeekSent.elapsed() < kDragSeekWaitMs &&
        Lumex_ChannelGetPosition(CurrentChannel, POS_REFTIME) == std::trunc(m_dragSeek) * kUnitsPerSecond)
        return;
    m_dragSeek = -1;
    m_dragSeekCheck.stop();
    if (CurrentChannel && m_dragWaiting) SendDragSeek(*std::exchange(m_dragWaiting, std::nullopt));
}

void PlayerSession::SeekTo(double seconds) {
    if (!CurrentChannel) return;
    m_ended = false;
    seconds = std::clamp(seconds, 0.0, std::max(Length(), 0.0));
    // In 100-ns units: seconds would be cut to whole ones.
    Lumex_ChannelSetPosition(CurrentChannel, std::trunc(seconds * kUnitsPerSecond), POS_REFTIME);
    if (m_form.Label2->text() != TFormPlayer::kDevice) {
        m_form.Bar->SetValue(int64_t(std::nearbyint(seconds)));
        m_form.Label1->setText(FormatTime(int32_t(m_form.Bar->Value())));
    }
    emit Seeked(seconds);
}

void PlayerSession::SeekBy(double seconds) { SeekTo(Position() + seconds); }

void PlayerSession::SetVolume(int64_t value) {
    value = std::clamp<int64_t>(value, 0, 100);
    m_form.volume = value;
    Lumex_ChannelSetAttribute(CurrentChannel, ATTRIB_VOLUME, m_muted ? 0.0f : float(value));
    emit VolumeChanged();
}

void PlayerSession::ToggleMute() {
    m_muted = !m_muted;
    SetVolume(m_form.volume);
}

void PlayerSession::StepFrame() {
    if (!CurrentChannel || m_fileName.isEmpty() || Lumex_ChannelGetState(CurrentChannel) == CHANNEL_PLAYING) return;
    CHANNELINFO info{};
    Lumex_ChannelGetInfo(CurrentChannel, &info);
    if (!(info.frameRate > 0)) return;
    SeekBy(1.0 / info.frameRate);
}

bool PlayerSession::OpenNeighbour(int step) {
    if (m_fileName.isEmpty()) return false;
    const QString next = NeighbourFile(m_fileName, step);
    return !next.isEmpty() && OpenFile(next, m_layout);
}

void PlayerSession::ShowEnd() {
    Lumex_ChannelPause(CurrentChannel);
    m_ended = true;
    m_form.Bar->SetValue(m_form.Bar->maxvalue);
    m_form.Label1->setText(FormatTime(int32_t(m_form.Bar->maxvalue)));
    m_form.PlayBtn->SetState(0);
    NotePlaying();
}

bool PlayerSession::Playing() const {
    return CurrentChannel && Lumex_ChannelGetState(CurrentChannel) == CHANNEL_PLAYING;
}

double PlayerSession::Length() const {
    return CurrentChannel ? Lumex_ChannelGetLength(CurrentChannel, POS_REFTIME) / kUnitsPerSecond : 0.0;
}

double PlayerSession::Position() const {
    return CurrentChannel ? Lumex_ChannelGetPosition(CurrentChannel, POS_REFTIME) / kUnitsPerSecond : 0.0;
}

void PlayerSession::NotePlaying() {
    const bool playing = Playing();
    if (playing == m_playing) return;
    m_playing = playing;
    emit PlayingChanged(playing);
}
