// The converter and the stereo transform over arbitrary source formats, sizes, row orders,
// stereo and view modes, grey mix, descriptor sizes and kernel paths: the whole-frame path
// (Convert, TransformFrame, GreyMix) and the band path (ConvertRows, TransformRows into a
// target with padded rows). Every buffer handed in is exactly as long as stated, and every
// picture handed back is read over the whole size it is said to have.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/stereo/ColorSpaceConverter.h"
#include "engine/stereo/StereoGeometry.h"
#include "engine/stereo/StereoRows.h"
#include "engine/stereo/StereoTransform.h"
#include "fuzz/Dimensions.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/MediaFile.h"
#include "platform/graph/MediaGuids.h"

namespace {

using namespace orvo::stereo;
using orvo::engine::CColorSpaceConverter;
using orvo::engine::ConversionPath;
using orvo::fuzz::FuzzInput;

volatile uint32_t g_checksum = 0;

void ReadAll(const uint8_t* p, size_t bytes) {
    uint32_t sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += p[i];
    g_checksum = g_checksum + sum;
}

// w x h pixels of 4 bytes, or 0 when that is not a size any buffer holds.
size_t PixelBytes(int64_t w, int64_t h) {
    if (w <= 0 || h <= 0 || w * h > (int64_t(1) << 24)) return 0;
    return size_t(w * h * 4);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orvo::fuzz::PrepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const GUID kSubtypes[] = {GUID_NULL,          MEDIASUBTYPE_YV12,   MEDIASUBTYPE_IYUV,  MEDIASUBTYPE_I420,
                                     MEDIASUBTYPE_NV12,  MEDIASUBTYPE_YUY2,   MEDIASUBTYPE_RGB24, MEDIASUBTYPE_RGB555,
                                     MEDIASUBTYPE_RGB565, MEDIASUBTYPE_RGB32, MEDIASUBTYPE_MJPG};
    static const int32_t kStereoModes[] = {0, 1, 2, 3, 4, 5, -1, 6, INT32_MIN};
    static const uint32_t kViewModes[] = {0, 1, 2, 3, 4, 5, 6, UINT32_MAX};
    FuzzInput in(data, size);
    const GUID subtype = in.Pick(kSubtypes);  // GUID_NULL: the source already is 32-bit pixels
    const int32_t width = orvo::fuzz::TakeDimension(in);
    const int32_t height = orvo::fuzz::TakeDimension(in);
    const auto conversion = ConversionPath(in.Below(4));
    auto kernelPath = KernelPath(in.Below(4));
    if (!IsSupported(kernelPath)) kernelPath = KernelPath::Plain;
    const StereoKernels& kernels = StereoKernelsOf(kernelPath);

    FrameDescriptor d;
    d.stereoMode = in.Pick(kStereoModes);
    d.viewMode = in.Pick(kViewModes);
    d.topDown = in.Flag();
    d.greyMix = in.Below(4) == 0 ? 2 : 1 - int32_t(in.Below(2));
    d.sourceWidth = width;
    d.sourceHeight = height == INT32_MIN ? INT32_MAX : std::abs(height);
    if (in.Below(4)) {
        const FrameSize out = StereoOutputSize(d.stereoMode, d.viewMode, d.sourceWidth, d.sourceHeight);
        d.width = out.width;
        d.height = out.height;
    } else {
        d.width = orvo::fuzz::TakeDimension(in);
        d.height = orvo::fuzz::TakeDimension(in);
    }
    const int32_t firstRow = int32_t(in.Take<int16_t>());
    const int32_t rowCount = int32_t(in.Below(66)) - 1;
    const std::vector<uint8_t> source(in.Data(), in.Data() + in.Size());
    PictureStore store;

    // The frame as 32-bit pixels, whole: the source itself, or the converter's output.
    std::vector<uint8_t> pixels;
    uint8_t* frame = nullptr;
    std::unique_ptr<CColorSpaceConverter> converter;
    const size_t frameBytes = PixelBytes(d.sourceWidth, d.sourceHeight);
    if (subtype == GUID_NULL) {
        if (frameBytes && source.size() >= frameBytes) {
            pixels.assign(source.begin(), source.begin() + ptrdiff_t(frameBytes));
            frame = pixels.data();
        }
    } else {
        // Sizes between 16 MB of output and the converter's 2 GB cap are legitimate but only
        // slow to fuzz; past the cap the converter must stay empty.
        const double outputBytes = std::abs(double(width)) * std::abs(double(height)) * 4;
        if (outputBytes > double(1 << 24) && outputBytes < 2147483648.0) return 0;
        converter = std::make_unique<CColorSpaceConverter>(subtype, width, height, conversion);
        if (converter->OutputSize() > (size_t(1) << 24)) std::abort();
        uint8_t* out = converter->Convert(source.data(), source.size());
        ReadAll(out, converter->OutputSize());
        if (frameBytes && converter->OutputSize() >= frameBytes) frame = out;

        // A band of rows straight from the source, into rows with room to spare.
        if (rowCount >= 0 && frameBytes) {
            const ptrdiff_t pitch = ptrdiff_t(d.sourceWidth) * 4 + 8;
            std::vector<uint8_t> band(size_t(pitch) * size_t(rowCount) + 1);
            converter->ConvertRows(source.data(), source.size(), firstRow, rowCount, band.data(), pitch);
        }
    }

    if (frame) {
        // The row path first: the whole-frame path may rewrite the frame in place.
        std::vector<uint8_t> copy(frame, frame + frameBytes);
        PixelRows pixelRows(copy.data(), d.sourceWidth);
        std::unique_ptr<ConvertedRows> convertedRows;
        if (converter) convertedRows = std::make_unique<ConvertedRows>(*converter, source.data(), source.size());
        FrameRows& rows = converter ? static_cast<FrameRows&>(*convertedRows) : pixelRows;
        const size_t targetBytes = PixelBytes(d.width, d.height);
        if (targetBytes && HasRowForm(d, rows, d.width, d.height)) {
            const ptrdiff_t pitch = ptrdiff_t(d.width) * 4 + 12;
            std::vector<uint8_t> target(size_t(pitch) * size_t(d.height));
            TransformRows(d, rows, target.data(), pitch, store, kernels);
        }
        if (uint8_t* picture = TransformFrame(d, frame, store, kernels)) {
            if (!targetBytes) std::abort();  // a picture of a size no buffer holds
            GreyMix(d, picture, kernels);
            ReadAll(picture, targetBytes);
        }
    }
    return 0;
}
