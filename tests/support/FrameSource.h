#pragma once
// A source filter of video frames in a real media type (RGB32 bottom-up, YV12, or any
// packed layout given as bytes), every frame the same picture, 25 per second: enough to
// drive a video renderer in a real graph.
#include <atomic>
#include <vector>

#include "platform/graph/SourceStream.h"

namespace orvo::test {

inline constexpr GUID CLSID_FrameSource = MakeGuid("{5E1D0101-0000-4000-8000-00000000B001}");

// An upright picture: 0xRRGGBB per pixel, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[size_t(y) * width + x]; }
};

// Four flat quadrants: top-left a, top-right b, bottom-left c, bottom-right d.
Picture Quadrants(int width, int height, uint32_t a, uint32_t b, uint32_t c, uint32_t d);

class FrameStream final : public CSourceStream {
public:
    FrameStream(CBaseFilter* filter, const GUID& subtype, std::vector<uint8_t> frame, int width, int height,
                int bitCount);
    HRESULT CheckMediaType(const graph::MediaType& mt) override;
    HRESULT GetMediaType(int position, graph::MediaType& mt) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT FillBuffer(IMediaSample* sample) override;
    void OnThreadStartPlay() override { m_frame = 0; }

    // The buffer of the last sample filled, for checks of what the renderer was given.
    std::atomic<BYTE*> lastBuffer{nullptr};

private:
    GUID m_subtype;
    std::vector<uint8_t> m_bytes;
    int m_width, m_height, m_bitCount;
    LONGLONG m_frame = 0;
};

class FrameSource final : public CSource {
public:
    // RGB32 frames are stored bottom row first, as the format wants.
    static FrameSource* Rgb32(const Picture& picture);
    // YV12 frames with one (Y, U, V) per quadrant of the picture's size.
    static FrameSource* Yv12(int width, int height, const uint8_t yuv[4][3]);
    // Frames of any subtype: the bytes of one frame and the type's biHeight and biBitCount.
    static FrameSource* Raw(const GUID& subtype, std::vector<uint8_t> frame, int width, int height, int bitCount);
    FrameStream* Stream() { return static_cast<FrameStream*>(GetPin(0)); }

private:
    FrameSource(const GUID& subtype, std::vector<uint8_t> frame, int width, int height, int bitCount);
};

}  // namespace orvo::test
