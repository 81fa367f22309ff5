#include "engine/graph/MediaCheck.h"

#include <cstring>
#include <vector>

#include "engine/renderers/GraphHelpers.h"
#include "platform/com/Runtime.h"
#include "platform/com/TextConversion.h"
#include "platform/graph/ClassIds.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::engine {
namespace {

// What a rendering result means for the caller. Only the two partial codes name a stream
// that cannot be rendered; other successes (a subtitle stream without a renderer, say) play.
// Every failure means the file cannot be played, save those that say the check itself could
// not run; a file that does not exist or cannot be read is among the former, so that a
// failure is never reported as playable.
int32_t CheckResult(HRESULT rendered) {
    switch (rendered) {
        case VFW_S_VIDEO_NOT_RENDERED:
            return CHECK_VIDEO_NOT_RENDERED;
        case VFW_S_AUDIO_NOT_RENDERED:
            return CHECK_AUDIO_NOT_RENDERED;
        case E_ABORT:
        case E_FAIL:
        case E_INVALIDARG:
        case E_OUTOFMEMORY:
        case E_POINTER:
        case VFW_E_NOT_FOUND:
            return CHECK_FAILED;
        default:
            return FAILED(rendered) ? CHECK_UNPLAYABLE : CHECK_PLAYABLE;
    }
}

// The bitmap header inside a video-info block of either form; false when the type carries
// none or its block is too short to hold one.
bool BitmapHeaderOf(const AM_MEDIA_TYPE& type, BITMAPINFOHEADER& header) {
    size_t offset;
    if (type.formattype == FORMAT_VideoInfo)
        offset = offsetof(VIDEOINFOHEADER, bmiHeader);
    else if (type.formattype == FORMAT_VideoInfo2)
        offset = offsetof(VIDEOINFOHEADER2, bmiHeader);
    else
        return false;
    if (!type.pbFormat || type.cbFormat < offset + sizeof header) return false;
    std::memcpy(&header, type.pbFormat + offset, sizeof header);
    return true;
}

void Describe(const AM_MEDIA_TYPE& type, UnrenderedVideo& info) {
    info.subtype = type.subtype;
    BITMAPINFOHEADER header;
    if (!BitmapHeaderOf(type, header)) return;
    info.width = header.biWidth;
    info.height = header.biHeight;
    info.compression = header.biCompression;
}

void Describe(const AM_MEDIA_TYPE& type, UnrenderedAudio& info) {
    info.subtype = type.subtype;
    if (type.formattype != FORMAT_WaveFormatEx || !type.pbFormat || type.cbFormat < sizeof(WAVEFORMATEX)) return;
    WAVEFORMATEX wave;
    std::memcpy(&wave, type.pbFormat, sizeof wave);
    info.channels = wave.nChannels;
    info.sampleRate = int32_t(wave.nSamplesPerSec);
    info.formatTag = wave.wFormatTag;
}

// The filter whose free output pins describe the streams nothing rendered: the source when
// it has a free output; otherwise (a reader whose streams appear on a splitter behind it)
// the filter its first connected output feeds. Null when there is neither.
ComPtr<IBaseFilter> StreamOwner(IBaseFilter* source) {
    ComPtr<IPin> pin;
    if (SUCCEEDED(FindPin(source, PINDIR_OUTPUT, pin.Put(), 0))) return ComPtr<IBaseFilter>(source);
    ComPtr<IPin> peer;
    PIN_INFO info{};
    if (FAILED(FindPin(source, PINDIR_OUTPUT, pin.Put(), 1)) || FAILED(pin->ConnectedTo(peer.Put())) ||
        FAILED(peer->QueryPinInfo(&info)))
        return nullptr;
    return ComPtr<IBaseFilter>::Attach(info.pFilter);
}

// The first type of that major type offered by a free output pin of the filter, walking
// its pins in order; the caller frees it with DeleteMediaType.
AM_MEDIA_TYPE* UnrenderedType(IBaseFilter* filter, REFGUID majorType) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put())) || !pins) return nullptr;
    for (ComPtr<IPin> pin; pins->Next(1, pin.Put(), nullptr) == S_OK && pin;) {
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT ||
            pin->ConnectedTo(peer.Put()) != VFW_E_NOT_CONNECTED)
            continue;
        AM_MEDIA_TYPE* type = nullptr;
        if (SUCCEEDED(FindMediaType(pin.Get(), majorType, &type))) return type;
    }
    return nullptr;
}

// Writes the record of the stream that was not rendered, when a free output pin describes
// it. CHECK_FAILED when the graph holds no file source.
template <class Info>
int32_t DescribeUnrendered(IGraphBuilder* graph, REFGUID majorType, Info* info, int32_t result) {
    ComPtr<IFileSourceFilter> loader;
    ComPtr<IBaseFilter> source;
    if (FAILED(FindSourceInterface(graph, loader)) || FAILED(loader.As(source))) return CHECK_FAILED;
    loader.Reset();
    if (!info) return result;
    ComPtr<IBaseFilter> owner = StreamOwner(source.Get());
    if (AM_MEDIA_TYPE* type = owner ? UnrenderedType(owner.Get(), majorType) : nullptr) {
        Describe(*type, *info);
        DeleteMediaType(type);
    }
    return result;
}

}  // namespace

HRESULT FindMediaType(IPin* pin, REFGUID majorType, AM_MEDIA_TYPE** mediaType) {
    if (!pin || !mediaType) return E_POINTER;
    *mediaType = nullptr;
    ComPtr<IEnumMediaTypes> types;
    HRESULT hr = pin->EnumMediaTypes(types.Put());
    if (FAILED(hr)) return hr;
    if (!types) return VFW_E_NOT_FOUND;
    for (;;) {
        AM_MEDIA_TYPE* type = nullptr;
        hr = types->Next(1, &type, nullptr);
        if (FAILED(hr)) return hr;
        if (hr != S_OK || !type) return VFW_E_NOT_FOUND;
        if (type->majortype == majorType) {
            *mediaType = type;
            return S_OK;
        }
        DeleteMediaType(type);
    }
}

int32_t CheckMediaFile(const void* name, int32_t form, UnrenderedAudio* audio, UnrenderedVideo* video) {
    ComPtr<IGraphBuilder> graph;
    const HRESULT created =
        CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, graph.PutVoid());
    if (FAILED(created) || !graph) return CHECK_FAILED;
    LPCWSTR path = static_cast<LPCWSTR>(name);
    std::vector<char16_t> converted;
    if (form >= 0 && name) {
        // A name that does not convert into a path buffer can name no file.
        converted.resize(kMaxPath);
        if (MultiByteToWideChar(CP_ACP, 0, static_cast<const char*>(name), -1, converted.data(), kMaxPath) <= 0)
            return CHECK_UNPLAYABLE;
        path = converted.data();
    }
    if (path && !*path) return CHECK_UNPLAYABLE;  // an empty name names no file
    const int32_t result = CheckResult(graph->RenderFile(path, nullptr));
    if (result == CHECK_VIDEO_NOT_RENDERED) return DescribeUnrendered(graph.Get(), MEDIATYPE_Video, video, result);
    if (result == CHECK_AUDIO_NOT_RENDERED) return DescribeUnrendered(graph.Get(), MEDIATYPE_Audio, audio, result);
    return result;
}

}  // namespace orvo::engine
