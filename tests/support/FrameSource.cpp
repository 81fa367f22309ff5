#include "tests/support/FrameSource.h"

#include <cstring>

#include "platform/graph/MediaFormats.h"

namespace orvo::test {

constexpr REFERENCE_TIME kFrameTime = 400'000;  // 25 per second

Picture Quadrants(int width, int height, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    Picture p{width, height, std::vector<uint32_t>(size_t(width) * height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.rgb[size_t(y) * width + x] = y < height / 2 ? (x < width / 2 ? a : b) : (x < width / 2 ? c : d);
    return p;
}

FrameStream::FrameStream(CBaseFilter* filter, const GUID& subtype, std::vector<uint8_t> frame, int width, int height,
                         int bitCount)
    : CSourceStream(filter, u"Video"),
      m_subtype(subtype),
      m_bytes(std::move(frame)),
      m_width(width),
      m_height(height),
      m_bitCount(bitCount) {
    SetDuration(60 * 10'000'000LL);
}

HRESULT FrameStream::CheckMediaType(const graph::MediaType& mt) {
    return mt.majortype == MEDIATYPE_Video && mt.subtype == m_subtype ? S_OK : S_FALSE;
}

HRESULT FrameStream::GetMediaType(int position, graph::MediaType& mt) {
    if (position != 0) return VFW_S_NO_MORE_ITEMS;
    mt = graph::MediaType(MEDIATYPE_Video, m_subtype, FORMAT_VideoInfo);
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = kFrameTime;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = m_width;
    info.bmiHeader.biHeight = m_height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = WORD(m_bitCount);
    info.bmiHeader.biSizeImage = DWORD(m_bytes.size());
    mt.lSampleSize = ULONG(m_bytes.size());
    return SetMediaTypeFormat(mt, FORMAT_VideoInfo, &info, sizeof info);
}

HRESULT FrameStream::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES*) {
    ALLOCATOR_PROPERTIES wanted{3, LONG(m_bytes.size()), 16, 0}, actual{};
    return allocator->SetProperties(&wanted, &actual);
}

HRESULT FrameStream::FillBuffer(IMediaSample* sample) {
    REFERENCE_TIME start = m_frame * kFrameTime, end = start + kFrameTime;
    sample->SetTime(&start, &end);
    sample->SetSyncPoint(TRUE);
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    std::memcpy(data, m_bytes.data(), m_bytes.size());
    sample->SetActualDataLength(LONG(m_bytes.size()));
    lastBuffer = data;
    ++m_frame;
    return S_OK;
}

FrameSource::FrameSource(const GUID& subtype, std::vector<uint8_t> frame, int width, int height, int bitCount)
    : CSource(CLSID_FrameSource) {
    AddStream(std::make_unique<FrameStream>(this, subtype, std::move(frame), width, height, bitCount));
}

FrameSource* FrameSource::Raw(const GUID& subtype, std::vector<uint8_t> frame, int width, int height, int bitCount) {
    return new FrameSource(subtype, std::move(frame), width, height, bitCount);
}

FrameSource* FrameSource::Rgb32(const Picture& p) {
    std::vector<uint8_t> bytes(size_t(p.width) * p.height * 4);
    for (int y = 0; y < p.height; ++y) {
        uint8_t* row = bytes.data() + size_t(p.height - 1 - y) * p.width * 4;
        for (int x = 0; x < p.width; ++x) {
            uint32_t c = p.At(x, y);
            row[4 * x] = uint8_t(c);
            row[4 * x + 1] = uint8_t(c >> 8);
            row[4 * x + 2] = uint8_t(c >> 16);
            row[4 * x + 3] = 0xFF;
        }
    }
    return new FrameSource(MEDIASUBTYPE_RGB32, std::move(bytes), p.width, p.height, 32);
}

FrameSource* FrameSource::Yv12(int w, int h, const uint8_t yuv[4][3]) {
    // Y plane, then V, then U, each chroma plane at half size.
    const int cw = w / 2, ch = h / 2;
    std::vector<uint8_t> bytes(size_t(w) * h + 2 * size_t(cw) * ch);
    auto quadrant = [&](int x, int y) { return (y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bytes[size_t(y) * w + x] = yuv[quadrant(x, y)][0];
    uint8_t* v = bytes.data() + size_t(w) * h;
    uint8_t* u = v + size_t(cw) * ch;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            v[size_t(y) * cw + x] = yuv[quadrant(2 * x, 2 * y)][2];
            u[size_t(y) * cw + x] = yuv[quadrant(2 * x, 2 * y)][1];
        }
    return new FrameSource(MEDIASUBTYPE_YV12, std::move(bytes), w, h, 12);
}

}  // namespace orvo::test
