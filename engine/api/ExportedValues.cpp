// The values the C interface hands out are the engine's own: each exported constant names
// the same value as the engine layer that gives it meaning.
#include <type_traits>

#include "engine/api/ChannelAttributes.h"
#include "engine/api/Lumex.h"
#include "engine/channel/Channel.h"
#include "engine/graph/MediaCheck.h"
#include "engine/renderers/RendererFactory.h"
#include "engine/stereo/StereoModes.h"

namespace orvo::engine {
namespace {

constexpr bool Same(int exported, int engine) { return exported == engine; }

static_assert(Same(::CHANNEL_NONE, CHANNEL_NONE));
static_assert(Same(::CHANNEL_PLAYING, CHANNEL_PLAYING));
static_assert(Same(::CHANNEL_PAUSED, CHANNEL_PAUSED));
static_assert(Same(::CHANNEL_STOPPED, CHANNEL_STOPPED));

static_assert(Same(::RENDERER_VMR7_WINDOW, RENDERER_VMR7_WINDOW));
static_assert(Same(::RENDERER_VMR9_WINDOW, RENDERER_VMR9_WINDOW));
static_assert(Same(::RENDERER_VMR7_WINDOWLESS, RENDERER_VMR7_WINDOWLESS));
static_assert(Same(::RENDERER_VMR9_WINDOWLESS, RENDERER_VMR9_WINDOWLESS));
static_assert(Same(::RENDERER_EVR, RENDERER_EVR));
static_assert(Same(::RENDERER_NULL, RENDERER_NULL));
static_assert(Same(::RENDERER_OWN, RENDERER_OWN));

static_assert(Same(ATTRIB_VOLUME, int(Attribute::Volume)));
static_assert(Same(ATTRIB_BALANCE, int(Attribute::Balance)));
static_assert(Same(ATTRIB_RATE, int(Attribute::Rate)));
static_assert(Same(ATTRIB_STEREO_MODE, int(Attribute::StereoMode)));
static_assert(Same(ATTRIB_RESERVED_FLAG, int(Attribute::ReservedFlag)));
static_assert(Same(ATTRIB_VIEW_MODE, int(Attribute::ViewMode)));
static_assert(Same(ATTRIB_GREY_MIX, int(Attribute::GreyMix)));
static_assert(Same(ATTRIB_SWAP_EYES, int(Attribute::SwapEyes)));
static_assert(Same(ATTRIB_ANAGLYPH_OPTIMISED, int(Attribute::AnaglyphOptimised)));
static_assert(Same(ATTRIB_KEEP_SHAPE, int(Attribute::KeepShape)));

static_assert(Same(::LAYOUT_UNKNOWN, int(Layout::Unknown)));
static_assert(Same(::LAYOUT_2D, int(Layout::Flat)));
static_assert(Same(::LAYOUT_SIDE_BY_SIDE, int(Layout::SideBySide)));
static_assert(Same(::LAYOUT_TOP_BOTTOM, int(Layout::TopBottom)));
static_assert(Same(::LAYOUT_FROM_NOTHING, int(LayoutSource::Nothing)));
static_assert(Same(::LAYOUT_FROM_STREAM, int(LayoutSource::Stream)));
static_assert(Same(::LAYOUT_FROM_CONTAINER, int(LayoutSource::Container)));
static_assert(Same(::LAYOUT_FROM_NAME, int(LayoutSource::Name)));

static_assert(Same(::STEREO_FULL_FRAME, stereo::STEREO_FULL_FRAME));
static_assert(Same(::STEREO_SIDE_BY_SIDE, stereo::STEREO_SIDE_BY_SIDE));
static_assert(Same(::STEREO_TOP_BOTTOM, stereo::STEREO_TOP_BOTTOM));
static_assert(Same(::STEREO_TB_TO_SBS, stereo::STEREO_TB_TO_SBS));
static_assert(Same(::STEREO_SBS_TO_TB, stereo::STEREO_SBS_TO_TB));
static_assert(Same(::STEREO_FLAT, stereo::STEREO_FLAT));

static_assert(Same(::VIEW_BLUE_YELLOW, stereo::VIEW_BLUE_YELLOW));
static_assert(Same(::VIEW_RED_CYAN, stereo::VIEW_RED_CYAN));
static_assert(Same(::VIEW_GREEN_MAGENTA, stereo::VIEW_GREEN_MAGENTA));
static_assert(Same(::VIEW_FIRST, stereo::VIEW_FIRST));
static_assert(Same(::VIEW_SECOND, stereo::VIEW_SECOND));
static_assert(Same(::VIEW_WHOLE_FRAME, stereo::VIEW_WHOLE_FRAME));

static_assert(Same(::CHECK_PLAYABLE, CHECK_PLAYABLE));
static_assert(Same(::CHECK_UNPLAYABLE, CHECK_UNPLAYABLE));
static_assert(Same(::CHECK_VIDEO_NOT_RENDERED, CHECK_VIDEO_NOT_RENDERED));
static_assert(Same(::CHECK_AUDIO_NOT_RENDERED, CHECK_AUDIO_NOT_RENDERED));
static_assert(Same(::CHECK_FAILED, CHECK_FAILED));

// The presentation callback is handed to the stereo pipeline as it is.
static_assert(std::is_same_v<DDRAWCALLBACK, stereo::PresentCallback>);

}  // namespace
}  // namespace orvo::engine
