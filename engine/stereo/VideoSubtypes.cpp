#include "engine/stereo/VideoSubtypes.h"

#include "platform/graph/MediaGuids.h"

namespace orvo::stereo {
namespace {

const VideoSubtype kSubtypes[] = {
    {&MEDIASUBTYPE_YV12, SUBTYPE_YV12, PixelLayout::PlanarVFirst},
    {&MEDIASUBTYPE_IYUV, SUBTYPE_IYUV, PixelLayout::PlanarUFirst},
    {&MEDIASUBTYPE_I420, SUBTYPE_I420, PixelLayout::PlanarUFirst},
    {&MEDIASUBTYPE_NV12, SUBTYPE_NV12, PixelLayout::Interleaved},
    {&MEDIASUBTYPE_YUY2, SUBTYPE_YUY2, PixelLayout::Packed},
    {&MEDIASUBTYPE_RGB24, SUBTYPE_RGB24, PixelLayout::Rgb24},
    {&MEDIASUBTYPE_RGB32, SUBTYPE_RGB32, PixelLayout::Rgb32},
    {&MEDIASUBTYPE_RGB555, SUBTYPE_RGB555, PixelLayout::Rgb555},
    {&MEDIASUBTYPE_RGB565, SUBTYPE_RGB565, PixelLayout::Rgb565},
};
const VideoSubtype kUnknown{&GUID_NULL, SUBTYPE_NONE, PixelLayout::None};

}  // namespace

const VideoSubtype& VideoSubtypeOf(const GUID& subtype) {
    for (const VideoSubtype& row : kSubtypes)
        if (*row.guid == subtype) return row;
    return kUnknown;
}

bool IsRgbCode(int32_t code) {
    return code == SUBTYPE_RGB24 || code == SUBTYPE_RGB32 || code == SUBTYPE_RGB555 || code == SUBTYPE_RGB565;
}

}  // namespace orvo::stereo
