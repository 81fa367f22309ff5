#include "engine/graph/CaptureGraph.h"

#include "engine/channel/ChannelRenderer.h"
#include "engine/renderers/GraphHelpers.h"
#include "platform/com/Runtime.h"
#include "platform/graph/CaptureInterfaces.h"
#include "platform/graph/ClassIds.h"
#include "platform/window/WindowSystem.h"

namespace orvo::engine {
namespace {

constexpr const char16_t* kVideoDeviceName = u"Video Capture Device";
constexpr const char16_t* kAudioDeviceName = u"Audio Capture Device";

// Adds the category's device number n (from 1, in enumeration order) to the graph under the
// category's name, and renders its first free output when asked. Whether it was added.
bool AddDevice(IGraphBuilder& graph, REFCLSID category, int32_t n, bool render) {
    ComPtr<ICreateDevEnum> devices;
    if (FAILED(CoCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER, IID_ICreateDevEnum,
                                devices.PutVoid())) ||
        !devices)
        return false;
    ComPtr<IEnumMoniker> monikers;
    if (devices->CreateClassEnumerator(category, monikers.Put(), 0) != S_OK || !monikers) return false;
    ComPtr<IMoniker> moniker;
    for (int32_t position = 1;; ++position) {
        if (monikers->Next(1, moniker.Put(), nullptr) != S_OK || !moniker) return false;
        if (position == n) break;
    }
    ComPtr<IBaseFilter> filter;
    if (FAILED(moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter, filter.PutVoid())) || !filter) return false;
    const LPCWSTR name = category == CLSID_AudioInputDeviceCategory ? kAudioDeviceName : kVideoDeviceName;
    if (FAILED(graph.AddFilter(filter.Get(), name))) return false;
    ComPtr<IPin> output;
    if (SUCCEEDED(FindPin(filter.Get(), PINDIR_OUTPUT, output.Put(), 0)) && output && render)
        graph.Render(output.Get());
    return true;
}

ComPtr<IBaseFilter> FilterNamed(IGraphBuilder& graph, LPCWSTR name) {
    ComPtr<IBaseFilter> filter;
    if (name) graph.FindFilterByName(name, filter.Put());
    return filter;
}

}  // namespace

bool BuildCaptureGraph(CChannel& channel, int32_t audio, int32_t video) {
    if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                channel.graph.PutVoid())) ||
        !channel.graph)
        return false;
    IGraphBuilder& graph = *channel.graph.Get();
    channel.graph.As(channel.mediaControl);
    channel.graph.As(channel.mediaSeeking);
    ComPtr<ICaptureGraphBuilder2> builder;
    if (FAILED(CoCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER, IID_ICaptureGraphBuilder2,
                                builder.PutVoid())) ||
        !builder || FAILED(builder->SetFiltergraph(&graph)))
        builder.Reset();
    channel.state = CHANNEL_STOPPED;

    bool videoAdded = false;
    if (video > 0) {
        CreateRenderer(channel);
        ComPtr<IBaseFilter> tee;
        AddFilterByClsid(CLSID_InfTee, tee.Put(), &graph, u"Infinite TEE");
        videoAdded = AddDevice(graph, CLSID_VideoInputDeviceCategory, video, false);
        ComPtr<IBaseFilter> device = FilterNamed(graph, kVideoDeviceName);
        ComPtr<IBaseFilter> sink = FilterNamed(graph, RendererName());
        // Without a builder the device stays in the graph unshown, as when the preview
        // cannot be rendered; with a null sink the graph picks a renderer (kinds 1 and 2).
        if (builder && device)
            builder->RenderStream(&PIN_CATEGORY_PREVIEW, nullptr, device.Get(), tee.Get(), sink.Get());
        if (channel.renderer) {
            channel.renderer->OnGraphBuilt(&graph);
            RECT client{};
            const bool known = GetClientRect(channel.window, &client);
            channel.renderer->SetWindow(channel.window, known ? &client : nullptr);
        }
    }
    if (audio > 0 && AddDevice(graph, CLSID_AudioInputDeviceCategory, audio, true)) return true;
    return videoAdded;
}

}  // namespace orvo::engine
