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
    {&MEDIASUBTYPE_Y42B, SUBTYPE_Y42B, PixelLayout::PlanarUFirst, 1, 0},
    {&MEDIASUBTYPE_444P, SUBTYPE_444P, PixelLayout::PlanarUFirst, 0, 0},
    // 16 significant bits are taken as 12: the output has 8.
    {&MEDIASUBTYPE_P010, SUBTYPE_P010, PixelLayout::Interleaved, 1, 1, 2, 10, 6},
    {&MEDIASUBTYPE_P016, SUBTYPE_P016, PixelLayout::Interleaved, 1, 1, 2, 12, 4},
    {&MEDIASUBTYPE_P210, SUBTYPE_P210, PixelLayout::Interleaved, 1, 0, 2, 10, 6},
    {&MEDIASUBTYPE_P216, SUBTYPE_P216, PixelLayout::Interleaved, 1, 0, 2, 12, 4},
    {&MEDIASUBTYPE_YUV420P10, SUBTYPE_YUV420P10, PixelLayout::PlanarUFirst, 1, 1, 2, 10},
    {&MEDIASUBTYPE_YUV420P12, SUBTYPE_YUV420P12, PixelLayout::PlanarUFirst, 1, 1, 2, 12},
    {&MEDIASUBTYPE_YUV422P10, SUBTYPE_YUV422P10, PixelLayout::PlanarUFirst, 1, 0, 2, 10},
    {&MEDIASUBTYPE_YUV422P12, SUBTYPE_YUV422P12, PixelLayout::PlanarUFirst, 1, 0, 2, 12},
    {&MEDIASUBTYPE_YUV444P10, SUBTYPE_YUV444P10, PixelLayout::PlanarUFirst, 0, 0, 2, 10},
    {&MEDIASUBTYPE_YUV444P12, SUBTYPE_YUV444P12, PixelLayout::PlanarUFirst, 0, 0, 2, 12},
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
