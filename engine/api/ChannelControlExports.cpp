// Channel control and queries: play, pause, stop, state, length, position, picture
// information, window placement, repaint, attributes. Called on the caller's thread.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "engine/api/ChannelAttributes.h"
#include "engine/channel/ChannelRegistry.h"
#include "engine/api/Lumex.h"
#include "engine/graph/AudioFormat.h"
#include "engine/stereo/OwnVideo.h"
#include "platform/window/WindowSystem.h"

using orvo::engine::ChannelCall;

namespace {

constexpr double kUnitsPerSecond = 10000000.0;
constexpr double kUnitsPerMillisecond = 10000.0;

// Moves the channel to `to` through `call` when its state is one of `from`.
template <class Call>
int32_t Transition(uint32_t handle, std::initializer_list<int32_t> from, int32_t to, Call call) {
    ChannelCall c(handle);
    if (!c) return 0;
    if (!c->mediaControl) return 1;
    if (std::find(from.begin(), from.end(), c->state.load()) == from.end()) return 0;
    if (FAILED(call(*c->mediaControl.Get()))) return 0;
    c->state = to;
    return 1;
}

// A double truncated toward zero into 100-ns units of `unit`; false when it does not fit.
bool ToReferenceTime(double position, int32_t unit, LONGLONG& out) {
    if (!std::isfinite(position)) return false;
    const double whole = std::trunc(position);
    const double scale = unit == POS_SECONDS ? kUnitsPerSecond : unit == POS_MILLISECONDS ? kUnitsPerMillisecond : 1.0;
    const double scaled = whole * scale;
    if (std::fabs(scaled) >= 9.2e18) return false;
    out = LONGLONG(whole) * LONGLONG(scale);
    return true;
}

}  // namespace

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelPlay(uint32_t ch) {
    return Transition(ch, {CHANNEL_PAUSED, CHANNEL_STOPPED}, CHANNEL_PLAYING,
                      [](IMediaControl& control) { return control.Run(); });
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelPause(uint32_t ch) {
    return Transition(ch, {CHANNEL_PLAYING}, CHANNEL_PAUSED, [](IMediaControl& control) { return control.Pause(); });
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelStop(uint32_t ch) {
    return Transition(ch, {CHANNEL_PLAYING, CHANNEL_PAUSED}, CHANNEL_STOPPED,
                      [](IMediaControl& control) { return control.Stop(); });
}

// Takes no call lock, so that it answers at once even during a long call on the channel.
LUMEX_API int32_t LUMEX_CALL Lumex_ChannelGetState(uint32_t ch) {
    const auto c = ch ? orvo::engine::Channels().Lookup(ch) : nullptr;
    return c && !c->closed ? c->state.load() : 0;
}

LUMEX_API double LUMEX_CALL Lumex_ChannelGetLength(uint32_t ch, int32_t unit) {
    ChannelCall c(ch);
    if (!c || !c->mediaSeeking || c->state == CHANNEL_NONE) return 0.0;
    LONGLONG duration = 0;
    if (FAILED(c->mediaSeeking->GetDuration(&duration))) return 0.0;
    if (unit == POS_SECONDS) return double(duration) / kUnitsPerSecond;
    if (unit == POS_MILLISECONDS) return double(duration) / kUnitsPerMillisecond;
    return double(duration);
}

LUMEX_API double LUMEX_CALL Lumex_ChannelGetPosition(uint32_t ch, int32_t unit) {
    ChannelCall c(ch);
    if (!c || !c->mediaSeeking || c->state == CHANNEL_NONE) return 0.0;
    LONGLONG position = 0;
    if (FAILED(c->mediaSeeking->GetPositions(&position, nullptr))) return 0.0;
    if (unit == POS_SECONDS) return double(position / LONGLONG(kUnitsPerSecond));
    if (unit == POS_MILLISECONDS) return double(position / LONGLONG(kUnitsPerMillisecond));
    if (unit == POS_REFTIME) return double(position);
    return 0.0;
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelSetPosition(uint32_t ch, double position, int32_t unit) {
    ChannelCall c(ch);
    if (!c || !c->mediaSeeking || c->state == CHANNEL_NONE) return 0;
    LONGLONG target;
    if (!ToReferenceTime(position, unit, target)) return 0;
    HRESULT hr =
        c->mediaSeeking->SetPositions(&target, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    return SUCCEEDED(hr) ? 1 : 0;
}

LUMEX_API void LUMEX_CALL Lumex_ChannelGetInfo(uint32_t ch, CHANNELINFO* info) {
    if (info) std::memset(info, 0, sizeof *info);
    ChannelCall c(ch);
    if (!c || !info) return;
    if (c->renderer) {
        info->frameRate = float(c->renderer->m_frameRate);
        info->height = c->renderer->m_height;
        info->width = c->renderer->m_width;
    }
    const orvo::engine::AudioFormat audio = orvo::engine::ConnectedAudioFormat(c->graph.Get());
    info->channels = audio.channels;
    info->sampleRate = audio.sampleRate;
    info->bitsPerSample = audio.bitsPerSample;
}

LUMEX_API void LUMEX_CALL Lumex_ChannelSetWindow(uint32_t ch, int32_t reserved, LUMEX_HWND window) {
    ChannelCall c(ch);
    if (!c || reserved != 0 || !c->renderer) return;
    RECT client{};
    const bool known = GetClientRect(HWND(window), &client);
    c->renderer->SetWindow(HWND(window), known ? &client : nullptr);
}

LUMEX_API void LUMEX_CALL Lumex_ChannelResizeWindow(uint32_t ch, int32_t reserved, int32_t l, int32_t t, int32_t r,
                                                    int32_t b) {
    ChannelCall c(ch);
    if (!c || reserved != 0 || !c->renderer) return;
    const RECT rect{l, t, r, b};
    c->renderer->SetWindow(0, &rect);
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelRepaint(uint32_t ch, int32_t reserved, LUMEX_HDC dc) {
    ChannelCall c(ch);
    if (!c) return 0;
    if (reserved != 0 || !c->renderer) return 1;
    return SUCCEEDED(c->renderer->Repaint(c->window, static_cast<HDC>(dc))) ? 1 : 0;
}

LUMEX_API void LUMEX_CALL Lumex_ChannelSetAttribute(uint32_t ch, int32_t code, float value) {
    if (ChannelCall c(ch); c) orvo::engine::ApplyAttribute(*c, code, value);
}

LUMEX_API int32_t LUMEX_CALL Lumex_ChannelSetDDrawCallback(uint32_t ch, DDRAWCALLBACK cb, intptr_t) {
    ChannelCall c(ch);
    orvo::stereo::COwnVideo* own = c ? orvo::engine::OwnRenderer(*c) : nullptr;
    return own ? own->SetPresentCallback(cb) : 0;
}

}  // extern "C"
