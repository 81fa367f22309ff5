#pragma once
// What a video capture filter needs of a camera: the native format it delivers, and frames in
// that format. A V4L2 node and a virtual test camera both offer this.
//
// Threads: Format on any thread; Open, Read and Close on the capture filter's threads, never
// at the same time as each other.
#include <functional>

#include "platform/graph/MediaType.h"

namespace orvo::capture {

struct VideoFormat {
    GUID subtype = GUID_NULL;  // YUY2, NV12, I420 or MJPG
    int width = 0, height = 0;
    REFERENCE_TIME frameTime = 400'000;  // between frames, 100-ns units
    // Bytes of the largest frame (for Motion JPEG, a bound rather than a size).
    DWORD ImageBytes() const;
    WORD BitCount() const;
    bool Compressed() const;
};

class VideoDevice {
public:
    virtual ~VideoDevice() = default;
    virtual VideoFormat Format() const = 0;
    // Takes the device; until Close nobody else can.
    virtual HRESULT Open() = 0;
    virtual void Close() = 0;
    // Waits for the next frame and copies it into buffer: S_OK with its length, S_FALSE when
    // aborted() turned true first, a failure when the device fails or the frame does not fit.
    virtual HRESULT Read(BYTE* buffer, LONG capacity, LONG* length, const std::function<bool()>& aborted) = 0;
};

}  // namespace orvo::capture
