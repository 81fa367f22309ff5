// Lumex_StreamCreateFile: a file opens into a stopped channel, on any thread, knowing how its
// views lie (Lumex_StreamGetStereoLayout).
#include <cstring>
#include <vector>

#include "engine/api/ChannelAttributes.h"
#include "engine/channel/ChannelRegistry.h"
#include "engine/channel/LibraryState.h"
#include "engine/api/Lumex.h"
#include "engine/graph/FileGraph.h"
#include "engine/graph/StereoLayoutDetection.h"
#include "engine/stereo/OwnVideo.h"
#include "engine/api/ThreadApartment.h"
#include "platform/com/TextConversion.h"

namespace {

// How the own renderer shows the file at its true shape: a pair of the detected layout is
// packed as detected, one of the other arrangement as the frame's aspect suggests.
orvo::stereo::FrameShape FrameShapeOf(const orvo::engine::StereoLayout& l) {
    using orvo::engine::Layout, orvo::engine::HalfPackedByAspect;
    const bool sideBySide = l.layout == Layout::SideBySide ? l.halfPacked
                                                           : HalfPackedByAspect(Layout::SideBySide, l.aspectNum, l.aspectDen);
    const bool topBottom = l.layout == Layout::TopBottom ? l.halfPacked
                                                         : HalfPackedByAspect(Layout::TopBottom, l.aspectNum, l.aspectDen);
    return {l.aspectNum, l.aspectDen, sideBySide, topBottom};
}

}  // namespace

extern "C" {

LUMEX_API uint32_t LUMEX_CALL Lumex_StreamCreateFile(const void* path, int32_t, LUMEX_HWND window, uint32_t flags) {
    using namespace orvo::engine;
    if (!Library().initialized || !path) return 0;
    ThreadApartment apartment;
    std::unique_ptr<CChannel> channel = CreateChannelRecord(window ? HWND(window) : Library().defaultWindow.load());
    if (!channel) return 0;
    // Only the top bit means anything: a UTF-16 path; otherwise UTF-8, which must convert
    // whole into a path buffer.
    std::vector<char16_t> converted;
    LPCWSTR wide = static_cast<LPCWSTR>(path);
    if (!(flags & STREAM_UNICODE)) {
        converted.resize(kMaxPath);
        if (MultiByteToWideChar(CP_ACP, 0, static_cast<const char*>(path), -1, converted.data(), kMaxPath) <= 0)
            return 0;
        wide = converted.data();
    }
    if (!BuildFileGraph(*channel, wide)) {
        TeardownChannel(*channel);
        return 0;
    }
    channel->layout = DetectStereoLayout(orvo::com::Utf16ToUtf8(wide));
    if (orvo::stereo::COwnVideo* own = OwnRenderer(*channel)) own->SetFrameShape(FrameShapeOf(channel->layout));
    return Channels().Register(std::move(channel));
}

LUMEX_API int32_t LUMEX_CALL Lumex_StreamGetStereoLayout(uint32_t handle, LUMEX_STEREO_LAYOUT* out) {
    orvo::engine::ChannelCall c(handle);
    if (!c || !out) return 0;
    const orvo::engine::StereoLayout& l = c->layout;
    *out = {int32_t(l.layout), l.rightFirst, l.halfPacked, int32_t(l.source), l.aspectNum, l.aspectDen};
    return 1;
}

}  // extern "C"
