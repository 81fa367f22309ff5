// The own renderer filter's media-type handling against arbitrary types: major types,
// subtypes, format blocks of any length with any bitmap header, then frames of any length,
// handed to a presentation callback that reads the whole picture the filter promises
// (video width x height pixels of 4 bytes). A sequence of types stands for a connection
// followed by format changes; frames arrive only while the last type was accepted, as
// through a connected pin.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "engine/stereo/OwnVideoRenderer.h"
#include "fuzz/Dimensions.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MediaFile.h"
#include "platform/com/ComPtr.h"
#include "platform/graph/MediaFormats.h"
#include "platform/graph/MediaGuids.h"
#include "platform/graph/MediaType.h"
#include "platform/graph/MemAllocator.h"

namespace {

using orvo::fuzz::FuzzInput;
using orvo::stereo::COwnVideoRenderer;

// The picture the filter promises the callback; set under the filter's frame lock's
// protection by the single thread that runs this target.
size_t g_promisedBytes = 0;
volatile uint32_t g_checksum = 0;

void ReadPicture(void* frame, uint32_t, intptr_t, intptr_t, intptr_t) {
    const auto* bytes = static_cast<const uint8_t*>(frame);
    uint32_t sum = 0;
    for (size_t i = 0; i < g_promisedBytes; ++i) sum += bytes[i];
    g_checksum = g_checksum + sum;
}

orvo::graph::MediaType TakeMediaType(FuzzInput& in) {
    static const GUID kSubtypes[] = {MEDIASUBTYPE_RGB24, MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB555, MEDIASUBTYPE_RGB565,
                                     MEDIASUBTYPE_IYUV,  MEDIASUBTYPE_I420,  MEDIASUBTYPE_YV12,   MEDIASUBTYPE_NV12,
                                     MEDIASUBTYPE_YUY2,  MEDIASUBTYPE_MJPG,  MEDIASUBTYPE_None};
    static const GUID kFormats[] = {FORMAT_VideoInfo, FORMAT_VideoInfo2, FORMAT_None, FORMAT_WaveFormatEx};
    const GUID major = in.Below(8) ? MEDIATYPE_Video : MEDIATYPE_Audio;
    const GUID subtype = in.Below(16) ? in.Pick(kSubtypes) : in.Take<GUID>();
    const GUID format = in.Pick(kFormats);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = orvo::fuzz::TakeDimension(in);
    header.biHeight = orvo::fuzz::TakeDimension(in);
    header.biBitCount = in.Take<WORD>();
    header.biCompression = in.Take<DWORD>();
    header.biSizeImage = in.Take<DWORD>();
    const REFERENCE_TIME frameTime = in.Take<int64_t>();

    std::vector<uint8_t> block;
    if (format == FORMAT_VideoInfo2) {
        VIDEOINFOHEADER2 info{};
        info.AvgTimePerFrame = frameTime;
        info.bmiHeader = header;
        block.assign(reinterpret_cast<const uint8_t*>(&info), reinterpret_cast<const uint8_t*>(&info) + sizeof info);
    } else {
        VIDEOINFOHEADER info{};
        info.AvgTimePerFrame = frameTime;
        info.bmiHeader = header;
        block.assign(reinterpret_cast<const uint8_t*>(&info), reinterpret_cast<const uint8_t*>(&info) + sizeof info);
    }
    // Whole, cut short anywhere, or with trailing bytes (a palette or colour masks).
    switch (in.Below(4)) {
        case 0:
            block.resize(in.Below(uint32_t(block.size())));
            break;
        case 1:
            block.resize(block.size() + 1 + in.Below(64), 0x5A);
            break;
    }
    orvo::graph::MediaType mt(major, subtype, format);
    SetMediaTypeFormat(mt, format, block.empty() ? nullptr : block.data(), ULONG(block.size()));
    return mt;
}

// One sample of length bytes, filled from the input's remaining bytes repeated.
void DeliverFrame(COwnVideoRenderer& own, FuzzInput& in) {
    const uint32_t length = in.Below(1u << 21);
    ComPtr<IMemAllocator> allocator;
    if (CMemAllocator::Create(allocator.Put()) < 0 || !allocator) std::abort();
    ALLOCATOR_PROPERTIES wanted{1, LONG(length ? length : 1), 1, 0}, actual{};
    if (allocator->SetProperties(&wanted, &actual) < 0 || allocator->Commit() < 0) std::abort();
    ComPtr<IMediaSample> sample;
    if (allocator->GetBuffer(sample.Put(), nullptr, nullptr, 0) < 0 || !sample) std::abort();
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    for (uint32_t i = 0; i < length; ++i) data[i] = in.Size() ? in.Data()[i % in.Size()] : uint8_t(i);
    sample->SetActualDataLength(LONG(length));
    own.DoRenderSample(sample.Get());
    sample.Reset();
    allocator->Decommit();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvo::fuzz::PrepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    HRESULT created = S_OK;
    ComPtr<COwnVideoRenderer> own(new (std::nothrow) COwnVideoRenderer(&created));
    if (!own) std::abort();
    bool connected = false;
    for (int step = 0, steps = 1 + int(in.Below(4)); step < steps; ++step) {
        const orvo::graph::MediaType mt = TakeMediaType(in);
        if (own->CheckMediaType(mt) == S_OK) connected = own->SetMediaType(mt) == S_OK;
        // A mode change as the channel makes it, then the callback as the caller sets it.
        const int32_t stereo = int32_t(in.Below(8)) - 1;
        const uint32_t view = in.Below(8);
        {
            std::lock_guard lock(own->m_frameLock);
            if (own->m_descriptor) {
                own->m_descriptor.reset();
                own->m_descriptor = own->BuildDescriptor(stereo < 0 ? orvo::stereo::STEREO_FULL_FRAME : stereo, view);
            }
            // A size whose picture no memory could hold promises more than any buffer has.
            const size_t w = size_t(std::abs(int64_t(own->m_videoWidth)));
            const size_t h = size_t(std::abs(int64_t(own->m_videoHeight)));
            if (__builtin_mul_overflow(w, h, &g_promisedBytes) || __builtin_mul_overflow(g_promisedBytes, 4, &g_promisedBytes))
                g_promisedBytes = SIZE_MAX;
        }
        if (in.Flag()) own->m_presentCallback = &ReadPicture;
        for (int frames = int(in.Below(3)); connected && frames > 0; --frames) DeliverFrame(*own.Get(), in);
    }
    return 0;
}
