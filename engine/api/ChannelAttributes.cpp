#include "engine/api/ChannelAttributes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/api/Lumex.h"
#include "engine/stereo/OwnVideo.h"

namespace orvo::engine {
namespace {

constexpr LONG kSilence = -10000;
constexpr LONG kFullBalance = 10000;

// value truncated toward zero, with NaN as 0 and the rest clamped into [lo, hi].
double TruncateInto(double value, double lo, double hi) {
    if (std::isnan(value)) return 0.0;
    return std::clamp(std::trunc(value), lo, hi);
}

void WithBasicAudio(CChannel& channel, void (*apply)(IBasicAudio&, float), float value) {
    if (!channel.graph) return;
    ComPtr<IBasicAudio> audio = channel.graph.As<IBasicAudio>();
    if (audio) apply(*audio.Get(), value);
}

// Paused, the frame waiting to be played is shown at once in the modes just set.
void ShowPausedFrameAgain(stereo::COwnVideo& own) {
    if (stereo::COwnVideoRenderer* filter = own.Filter()) filter->RenderPausedSample();
}

// The on/off settings are on when the value truncated toward zero is positive (1.0, not 0.5).
void SetOption(CChannel& channel, bool stereo::StereoOptions::*option, float value) {
    if (auto* own = OwnRenderer(channel)) {
        if (own->SetOption(option, TruncateInto(value, 0.0, 1.0) > 0)) ShowPausedFrameAgain(*own);
    }
}

}  // namespace

stereo::COwnVideo* OwnRenderer(CChannel& channel) { return dynamic_cast<stereo::COwnVideo*>(channel.renderer.get()); }

LONG VolumeForPercent(float percent) {
    const double v = TruncateInto(percent, -1.0, 100.0);
    if (v <= 0) return kSilence;
    return LONG(std::trunc(1085.73 * std::log(100.0 * v) - 10000.0));
}

LONG BalanceForPercent(float percent) {
    // Out-of-range values keep their side: at or past full left is full left.
    return LONG(TruncateInto(double(percent) * 100.0, -kFullBalance, kFullBalance));
}

void ApplyAttribute(CChannel& channel, int32_t code, float value) {
    switch (Attribute(code)) {
        case Attribute::Volume:
            WithBasicAudio(
                channel, [](IBasicAudio& a, float v) { a.put_Volume(VolumeForPercent(v)); }, value);
            break;
        case Attribute::Balance:
            WithBasicAudio(
                channel, [](IBasicAudio& a, float v) { a.put_Balance(BalanceForPercent(v)); }, value);
            break;
        case Attribute::Rate:
            if (channel.mediaSeeking) channel.mediaSeeking->SetRate(double(value));
            break;
        case Attribute::StereoMode:
            if (auto* own = OwnRenderer(channel)) {
                const double m = TruncateInto(value, -1.0, INT32_MAX);
                if (own->SetStereo(m < 0 ? -1 : int32_t(m), stereo::VIEW_BLUE_YELLOW)) ShowPausedFrameAgain(*own);
            }
            break;
        case Attribute::ViewMode:
            if (auto* own = OwnRenderer(channel)) {
                if (own->SetStereo(-1, int32_t(TruncateInto(value, INT32_MIN, INT32_MAX)))) ShowPausedFrameAgain(*own);
            }
            break;
        case Attribute::ReservedFlag:
            if (auto* own = OwnRenderer(channel)) own->SetReservedFlag(value > 0);  // NaN stores 0
            break;
        case Attribute::GreyMix:
            if (auto* own = OwnRenderer(channel)) {
                if (own->SetGreyMix(int32_t(TruncateInto(value, INT32_MIN, INT32_MAX)))) ShowPausedFrameAgain(*own);
            }
            break;
        case Attribute::SwapEyes:
            SetOption(channel, &stereo::StereoOptions::swapEyes, value);
            break;
        case Attribute::AnaglyphOptimised:
            SetOption(channel, &stereo::StereoOptions::optimisedAnaglyph, value);
            break;
        case Attribute::KeepShape:
            SetOption(channel, &stereo::StereoOptions::keepShape, value);
            break;
        default:
            break;
    }
}

}  // namespace orvo::engine
