#include "platform/video/MixingRendererFilter.h"

#include <cstring>

#include "platform/com/Runtime.h"

namespace orvo::video {
namespace {

const char16_t* const kPinNames[MAX_MIXER_STREAMS] = {
    u"Input0", u"Input1", u"Input2",  u"Input3",  u"Input4",  u"Input5",  u"Input6",  u"Input7",
    u"Input8", u"Input9", u"Input10", u"Input11", u"Input12", u"Input13", u"Input14", u"Input15",
};

HRESULT SampleBytes(IMediaSample* sample, BYTE** data, size_t* length) {
    if (!sample) return E_POINTER;
    HRESULT hr = sample->GetPointer(data);
    if (FAILED(hr)) return hr;
    const LONG actual = sample->GetActualDataLength();
    *length = actual > 0 ? size_t(actual) : 0;
    return S_OK;
}

}  // namespace

HRESULT ReadBitmapFromDc(HDC dc, Frame& image) {
    HGDIOBJ selected = GetCurrentObject(dc, OBJ_BITMAP);
    BITMAP info{};
    if (!selected || GetObjectW(selected, sizeof info, &info) != int(sizeof info)) return E_INVALIDARG;
    if (info.bmBitsPixel != 32 || info.bmWidth <= 0 || info.bmHeight <= 0) return E_INVALIDARG;
    const size_t stride = size_t(info.bmWidthBytes), rows = size_t(info.bmHeight);
    std::vector<uint8_t> bits(stride * rows);
    if (GetBitmapBits(HBITMAP(selected), LONG(bits.size()), bits.data()) != LONG(bits.size())) return E_INVALIDARG;
    image.Resize(info.bmWidth, info.bmHeight);
    // A device-independent bitmap keeps its bottom row first.
    for (size_t y = 0; y < rows; ++y)
        std::memcpy(&image.pixels[y * size_t(info.bmWidth)], &bits[(rows - 1 - y) * stride], size_t(info.bmWidth) * 4);
    return S_OK;
}

CMixingRendererFilter::CMixingRendererFilter(REFCLSID clsid) : CBaseVideoRenderer(clsid, kPinNames[0]) {}

CMixingRendererFilter::~CMixingRendererFilter() = default;

HRESULT CMixingRendererFilter::CheckMediaType(const graph::MediaType& type) {
    InputFormat format;
    return DescribeInput(type, format) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMixingRendererFilter::SetMediaType(const graph::MediaType& type) {
    InputFormat format;
    if (!DescribeInput(type, format)) return VFW_E_TYPE_NOT_ACCEPTED;
    std::lock_guard lock(m_frameLock);
    m_primaryFormat = format;
    return S_OK;
}

HRESULT CMixingRendererFilter::DoRenderSample(IMediaSample* sample) {
    InputFormat format;
    {
        std::lock_guard lock(m_frameLock);
        format = m_primaryFormat;
    }
    HRESULT hr = ReceiveStream(0, format, sample);
    if (FAILED(hr)) return hr;
    std::lock_guard lock(m_frameLock);
    m_output.Present(m_mixer);
    return S_OK;
}

HRESULT CMixingRendererFilter::ReceiveStream(DWORD stream, const InputFormat& format, IMediaSample* sample) {
    BYTE* data = nullptr;
    size_t length = 0;
    HRESULT hr = SampleBytes(sample, &data, &length);
    if (FAILED(hr)) return hr;
    std::lock_guard lock(m_frameLock);
    Frame* frame = m_mixer.StreamFrame(stream);
    if (!frame) return S_FALSE;
    return ConvertToFrame(format, data, length, *frame) ? S_OK : E_INVALIDARG;
}

int CMixingRendererFilter::GetPinCount() { return int(m_streamCount.load()); }

CBasePin* CMixingRendererFilter::GetPin(int index) {
    if (index == 0) return CBaseVideoRenderer::GetPin(0);
    return index > 0 && DWORD(index) < m_streamCount.load() ? m_extraPins[size_t(index) - 1].get() : nullptr;
}

HRESULT CMixingRendererFilter::SetStreamCount(DWORD count) {
    if (count < 1 || count > MAX_MIXER_STREAMS) return E_INVALIDARG;
    std::lock_guard filterLock(FilterLock());
    if (!IsStopped()) return VFW_E_WRONG_STATE;
    for (DWORD stream = count; stream < m_streamCount.load(); ++stream)
        if (m_extraPins[stream - 1]->IsConnected()) return VFW_E_WRONG_STATE;
    for (DWORD stream = 1; stream < count; ++stream)
        if (!m_extraPins[stream - 1])
            m_extraPins[stream - 1] = std::make_unique<CMixerInputPin>(this, stream, kPinNames[stream]);
    m_streamCount = count;
    IncrementPinVersion();
    std::lock_guard lock(m_frameLock);
    return m_mixer.SetStreamCount(count);
}

DWORD CMixingRendererFilter::StreamCount() {
    std::lock_guard lock(m_frameLock);
    return m_mixer.StreamCount();
}

HRESULT CMixingRendererFilter::NativeSize(LONG* width, LONG* height) {
    std::lock_guard lock(m_frameLock);
    const bool connected = InputPin()->IsConnected();
    if (width) *width = connected ? m_primaryFormat.width : 0;
    if (height) *height = connected ? m_primaryFormat.height : 0;
    return connected ? S_OK : VFW_E_NOT_CONNECTED;
}

HRESULT CMixingRendererFilter::CurrentImage(BITMAPINFOHEADER& header, size_t offset, BYTE** block,
                                            DWORD* pixelBytes) {
    if (!block) return E_POINTER;
    *block = nullptr;
    std::lock_guard lock(m_frameLock);
    const SIZE native = m_mixer.NativeSize();
    if (native.cx <= 0 || native.cy <= 0) return E_FAIL;
    Frame picture;
    picture.Resize(native.cx, native.cy);
    const int32_t pitch = native.cx * 4;
    m_mixer.Compose(reinterpret_cast<uint8_t*>(picture.pixels.data()), pitch, native.cx, native.cy);
    const size_t size = size_t(pitch) * size_t(native.cy);
    auto* start = static_cast<BYTE*>(CoTaskMemAlloc(offset + size));
    if (!start) return E_OUTOFMEMORY;
    BYTE* out = start + offset;
    for (LONG y = 0; y < native.cy; ++y)
        std::memcpy(out + size_t(native.cy - 1 - y) * pitch, &picture.pixels[size_t(y) * native.cx], size_t(pitch));
    header = {sizeof(BITMAPINFOHEADER), native.cx, native.cy, 1, 32, BI_RGB, DWORD(size), 0, 0, 0, 0};
    *block = start;
    if (pixelBytes) *pixelBytes = DWORD(size);
    return S_OK;
}

HRESULT CMixingRendererFilter::Repaint() {
    std::lock_guard lock(m_frameLock);
    HRESULT hr = m_output.Present(m_mixer);
    return FAILED(hr) ? hr : S_OK;
}

CMixerInputPin::CMixerInputPin(CMixingRendererFilter* filter, DWORD stream, const char16_t* name)
    : CBaseInputPin(filter, name), m_renderer(filter), m_stream(stream) {}

HRESULT CMixerInputPin::CheckMediaType(const graph::MediaType& type) { return m_renderer->CheckMediaType(type); }

HRESULT CMixerInputPin::SetMediaType(const graph::MediaType& type) {
    if (!DescribeInput(type, m_format)) return VFW_E_TYPE_NOT_ACCEPTED;
    return CBaseInputPin::SetMediaType(type);
}

HRESULT CMixerInputPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_renderer->ReceiveStream(m_stream, m_format, sample);
}

}  // namespace orvo::video
