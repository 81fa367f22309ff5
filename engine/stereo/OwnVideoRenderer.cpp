#include "engine/stereo/OwnVideoRenderer.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "engine/stereo/FramePresentation.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::stereo {
namespace {

const BITMAPINFOHEADER* BitmapHeaderOf(const graph::MediaType& mt) {
    if (mt.formattype == FORMAT_VideoInfo2) {
        auto* info = mt.FormatAs<VIDEOINFOHEADER2>();
        return info ? &info->bmiHeader : nullptr;
    }
    auto* info = mt.FormatAs<VIDEOINFOHEADER>();
    return info ? &info->bmiHeader : nullptr;
}

REFERENCE_TIME AvgTimePerFrameOf(const graph::MediaType& mt) {
    if (mt.formattype == FORMAT_VideoInfo2) {
        auto* info = mt.FormatAs<VIDEOINFOHEADER2>();
        return info ? info->AvgTimePerFrame : 0;
    }
    auto* info = mt.FormatAs<VIDEOINFOHEADER>();
    return info ? info->AvgTimePerFrame : 0;
}

// Whole frames per second. A frame time holds the rate rounded to 100 ns, so a rate within
// 0.01% of a whole number is that number (60 fps is stored as 166667, 59.9998 per second);
// any other is truncated by integer division (23.976 gives 23). A type without a frame time
// has no rate.
double FrameRateOf(REFERENCE_TIME avgTimePerFrame) {
    if (avgTimePerFrame <= 0) return 0.0;
    const double exact = 10'000'000.0 / double(avgTimePerFrame);
    const double whole = std::round(exact);
    if (std::abs(exact - whole) <= whole * 1e-4) return whole;
    return double(10'000'000 / avgTimePerFrame);
}

}  // namespace

COwnVideoRenderer::COwnVideoRenderer(HRESULT*) : CBaseVideoRenderer(kClsid) {}

// I420, RGB555 and RGB565 are admitted end to end: the converter has them all.
HRESULT COwnVideoRenderer::CheckMediaType(const graph::MediaType& mt) {
    if (mt.majortype != MEDIATYPE_Video) return E_FAIL;
    if (SubtypeCodeOf(mt.subtype) == SUBTYPE_NONE) return E_FAIL;
    if (mt.formattype != FORMAT_VideoInfo && mt.formattype != FORMAT_VideoInfo2) return E_FAIL;
    return S_OK;
}

std::unique_ptr<FrameDescriptor> COwnVideoRenderer::BuildDescriptor(int32_t stereoMode, uint32_t viewMode) {
    auto d = std::make_unique<FrameDescriptor>();
    m_pictureShown = false;
    const int32_t code = m_subtypeCode;
    d->window = m_window;
    // Top-down: YUV always; RGB only when its height says so (negative).
    d->topDown = !IsRgbCode(code) || m_videoHeight < 0;
    d->stereoMode = stereoMode;
    d->viewMode = viewMode;
    d->options = m_options;
    d->sourceWidth = m_videoWidth;
    d->sourceHeight = std::abs(m_videoHeight);
    FrameSize out = StereoOutputSize(stereoMode, viewMode, d->sourceWidth, d->sourceHeight);
    d->width = out.width;
    d->height = out.height;
    SetupSurfaces(*d);
    return d;
}

bool COwnVideoRenderer::NeedsNewConverter(const GUID& subtype, const graph::VideoColorInfo& color) const {
    return !m_converter || m_converter->Subtype() != subtype || m_converter->Width() != m_videoWidth ||
           m_converter->Height() != m_videoHeight || m_converter->RequestedColor() != color;
}

// Connection or a format change: the size and rate are taken first; a new format code
// rebuilds the descriptor with modes back at full frame and clears the callback. A new size
// in the same code keeps the modes but needs a descriptor and converter of that size, so no
// frame is ever read or written past its buffer.
HRESULT COwnVideoRenderer::SetMediaType(const graph::MediaType& mt) {
    if (mt.majortype != MEDIATYPE_Video) return VFW_E_TYPE_NOT_ACCEPTED;
    const BITMAPINFOHEADER* header = BitmapHeaderOf(mt);
    // The smallest height has no row count of its size; every use of the size takes its magnitude.
    if (header && header->biHeight == INT32_MIN) return VFW_E_TYPE_NOT_ACCEPTED;
    const SubtypeCode code = SubtypeCodeOf(mt.subtype);
    std::lock_guard lock(m_frameLock);
    const bool sizeChanged = header && (header->biWidth != m_videoWidth || header->biHeight != m_videoHeight);
    if (header) {
        m_videoWidth = header->biWidth;
        m_videoHeight = header->biHeight;
    }
    m_frameRate = FrameRateOf(AvgTimePerFrameOf(mt));
    m_subtypeCode = code;
    if (code == SUBTYPE_NONE) return VFW_E_TYPE_NOT_ACCEPTED;
    if (code != m_lastSubtypeCode) {
        m_lastSubtypeCode = code;
        m_descriptor.reset();
        m_presentCallback = nullptr;
        m_descriptor = BuildDescriptor(STEREO_FULL_FRAME, VIEW_BLUE_YELLOW);
    } else if (sizeChanged && m_descriptor) {
        m_descriptor = BuildDescriptor(m_descriptor->stereoMode, m_descriptor->viewMode);
    }
    const graph::VideoColorInfo color = graph::ColorInfoOf(mt);
    if (code != SUBTYPE_RGB32 && NeedsNewConverter(mt.subtype, color))
        m_converter = std::make_unique<engine::CColorSpaceConverter>(mt.subtype, m_videoWidth, m_videoHeight, color);
    const bool usable = code == SUBTYPE_RGB32 || (m_converter && m_converter->OutputSize() > 0);
    return usable ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

// The sample as 32-bit pixels: RGB32 as it is (when it holds a whole frame), anything else
// through the converter. nullptr when there is no whole frame to show.
uint8_t* COwnVideoRenderer::FrameOf(uint8_t* sample, size_t bytes) {
    if (m_subtypeCode == SUBTYPE_RGB32) {
        const size_t frameBytes = size_t(std::abs(int64_t(m_videoWidth))) * size_t(std::abs(m_videoHeight)) * 4;
        return bytes >= frameBytes ? sample : nullptr;
    }
    if (!m_converter || bytes < m_converter->SourceSize()) return nullptr;
    return m_converter->Convert(sample, bytes);
}

// Made band by band straight into the frame surface where the modes allow, so that each
// sample is read once; else converted whole and transformed as a frame.
void COwnVideoRenderer::PresentSample(uint8_t* sample, size_t bytes) {
    if (m_subtypeCode == SUBTYPE_RGB32) {
        if (uint8_t* frame = FrameOf(sample, bytes)) {
            PixelRows rows(frame, m_descriptor->sourceWidth);
            PresentRows(*m_descriptor, rows, m_pictures);
        }
    } else if (m_converter) {
        ConvertedRows rows(*m_converter, sample, bytes);
        PresentRows(*m_descriptor, rows, m_pictures);
    }
}

HRESULT COwnVideoRenderer::DoRenderSample(IMediaSample* sample) {
    BYTE* data = nullptr;
    if (!sample || FAILED(sample->GetPointer(&data)) || !data) return S_OK;
    const LONG length = sample->GetActualDataLength();
    const size_t bytes = length > 0 ? size_t(length) : 0;
    std::lock_guard lock(m_frameLock);
    if (PresentCallback callback = m_presentCallback) {
        // The caller presents from now on; the engine stops drawing by itself.
        m_descriptor.reset();
        uint8_t* frame = sample != m_calledBack ? FrameOf(data, bytes) : nullptr;
        if (frame) callback(frame, uint32_t(bytes), 0, 0, 0);
    } else if (m_descriptor) {
        PresentSample(data, bytes);
        m_pictureShown = true;
    }
    ++m_frameCount;
    return S_OK;
}

HRESULT COwnVideoRenderer::RepaintPicture() {
    std::lock_guard lock(m_frameLock);
    if (!m_descriptor || !m_pictureShown || !m_descriptor->surfaces.IsOpen()) return S_FALSE;
    return m_descriptor->surfaces.Blit();
}

// Streaming thread, the base's locks held.
void COwnVideoRenderer::OnReceiveFirstSample(IMediaSample* sample) {
    DoRenderSample(sample);
    std::lock_guard lock(m_frameLock);
    m_calledBack = sample;
}

// Streaming thread: the sample has been rendered running; the next one is a new frame, even
// when the allocator hands out the same sample object for it.
void COwnVideoRenderer::OnRenderEnd(IMediaSample* sample) {
    CBaseVideoRenderer::OnRenderEnd(sample);
    std::lock_guard lock(m_frameLock);
    m_calledBack = nullptr;
}

void COwnVideoRenderer::OnBeginFlush() {
    m_frameCount = 0;
    m_calledBack = nullptr;
}

HRESULT COwnVideoRenderer::OnStopStreaming() {
    m_frameCount = 0;
    {
        std::lock_guard lock(m_frameLock);
        m_calledBack = nullptr;
    }
    return CBaseVideoRenderer::OnStopStreaming();
}

}  // namespace orvo::stereo
