#include "platform/filters/ffmpeg/VideoOutputFormat.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include "platform/graph/MediaFormats.h"

namespace orvo::ffmpeg {
namespace {

struct OutputForm {
    const GUID* subtype;
    AVPixelFormat native;  // the FFmpeg format that is this form already
    WORD bitCount;
    DWORD compression;
};

// The forms every video renderer takes first, then those only the own renderer takes, which are
// offered only for frames already in them.
const OutputForm kForms[] = {
    {&MEDIASUBTYPE_NV12, AV_PIX_FMT_NV12, 12, MakeFourCC('N', 'V', '1', '2')},
    {&MEDIASUBTYPE_YV12, AV_PIX_FMT_NONE, 12, MakeFourCC('Y', 'V', '1', '2')},
    {&MEDIASUBTYPE_IYUV, AV_PIX_FMT_YUV420P, 12, MakeFourCC('I', 'Y', 'U', 'V')},
    {&MEDIASUBTYPE_YUY2, AV_PIX_FMT_YUYV422, 16, MakeFourCC('Y', 'U', 'Y', '2')},
    {&MEDIASUBTYPE_RGB32, AV_PIX_FMT_BGR0, 32, BI_RGB},
    {&MEDIASUBTYPE_RGB24, AV_PIX_FMT_BGR24, 24, BI_RGB},
    {&MEDIASUBTYPE_Y42B, AV_PIX_FMT_YUV422P, 16, MakeFourCC('Y', '4', '2', 'B')},
    {&MEDIASUBTYPE_444P, AV_PIX_FMT_YUV444P, 24, MakeFourCC('4', '4', '4', 'P')},
    {&MEDIASUBTYPE_P010, AV_PIX_FMT_P010LE, 24, MakeFourCC('P', '0', '1', '0')},
    {&MEDIASUBTYPE_P016, AV_PIX_FMT_P016LE, 24, MakeFourCC('P', '0', '1', '6')},
    {&MEDIASUBTYPE_P210, AV_PIX_FMT_P210LE, 32, MakeFourCC('P', '2', '1', '0')},
    {&MEDIASUBTYPE_P216, AV_PIX_FMT_P216LE, 32, MakeFourCC('P', '2', '1', '6')},
    {&MEDIASUBTYPE_YUV420P10, AV_PIX_FMT_YUV420P10LE, 24, MakeFourCC('Y', '3', 11, 10)},
    {&MEDIASUBTYPE_YUV420P12, AV_PIX_FMT_YUV420P12LE, 24, MakeFourCC('Y', '3', 11, 12)},
    {&MEDIASUBTYPE_YUV422P10, AV_PIX_FMT_YUV422P10LE, 32, MakeFourCC('Y', '3', 10, 10)},
    {&MEDIASUBTYPE_YUV422P12, AV_PIX_FMT_YUV422P12LE, 32, MakeFourCC('Y', '3', 10, 12)},
    {&MEDIASUBTYPE_YUV444P10, AV_PIX_FMT_YUV444P10LE, 48, MakeFourCC('Y', '3', 0, 10)},
    {&MEDIASUBTYPE_YUV444P12, AV_PIX_FMT_YUV444P12LE, 48, MakeFourCC('Y', '3', 0, 12)},
};
constexpr size_t kCommonForms = 6;

const OutputForm* FindForm(const GUID& subtype) {
    for (const OutputForm& form : kForms)
        if (*form.subtype == subtype) return &form;
    return nullptr;
}

GUID ConvertedSubtype(AVPixelFormat decoded) {
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(decoded);
    if (!desc || (desc->flags & AV_PIX_FMT_FLAG_RGB) || desc->nb_components < 3) return MEDIASUBTYPE_RGB32;
    if (desc->log2_chroma_w == 1 && desc->log2_chroma_h == 1) return MEDIASUBTYPE_NV12;
    if (desc->log2_chroma_w == 1 && desc->log2_chroma_h == 0) return MEDIASUBTYPE_YUY2;
    return MEDIASUBTYPE_RGB32;
}

GUID NativeSubtype(AVPixelFormat decoded) {
    if (decoded == AV_PIX_FMT_BGRA) return MEDIASUBTYPE_RGB32;
    for (const OutputForm& form : kForms)
        if (form.native == decoded && decoded != AV_PIX_FMT_NONE) return *form.subtype;
    return GUID_NULL;
}

}  // namespace

std::vector<GUID> PreferredOutputSubtypes(AVPixelFormat decoded) {
    GUID first = NativeSubtype(decoded);
    if (first == GUID_NULL) first = ConvertedSubtype(decoded);
    std::vector<GUID> order{first};
    for (size_t i = 0; i < kCommonForms; ++i)
        if (*kForms[i].subtype != first) order.push_back(*kForms[i].subtype);
    return order;
}

bool IsOutputSubtype(const GUID& subtype) { return FindForm(subtype) != nullptr; }

AVPixelFormat PackedPixelFormat(const GUID& subtype) {
    if (subtype == MEDIASUBTYPE_YV12) return AV_PIX_FMT_YUV420P;  // the same planes, V before U
    const OutputForm* form = FindForm(subtype);
    return form ? form->native : AV_PIX_FMT_NONE;
}

size_t PackedImageSize(const GUID& subtype, int width, int height) {
    const AVPixelFormat format = PackedPixelFormat(subtype);
    if (format == AV_PIX_FMT_NONE || width <= 0 || height <= 0) return 0;
    const int size = av_image_get_buffer_size(format, width, height, 1);
    return size > 0 ? size_t(size) : 0;
}

size_t LargestImageSize(int width, int height) {
    size_t largest = 0;
    for (const OutputForm& form : kForms) largest = std::max(largest, PackedImageSize(*form.subtype, width, height));
    return largest;
}

graph::MediaType OutputMediaType(const GUID& subtype, int width, int height, REFERENCE_TIME frameTime,
                                 bool videoInfo2, const graph::VideoColorInfo& color) {
    const OutputForm* form = FindForm(subtype);
    if (!form) return {};
    BITMAPINFOHEADER bmi{};
    bmi.biSize = sizeof bmi;
    bmi.biWidth = width;
    bmi.biHeight = height;
    bmi.biPlanes = 1;
    bmi.biBitCount = form->bitCount;
    bmi.biCompression = form->compression;
    bmi.biSizeImage = DWORD(PackedImageSize(subtype, width, height));
    const RECT whole{0, 0, width, height};
    graph::MediaType type(MEDIATYPE_Video, subtype, videoInfo2 ? FORMAT_VideoInfo2 : FORMAT_VideoInfo);
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = bmi.biSizeImage;
    if (videoInfo2) {
        VIDEOINFOHEADER2 info{};
        info.rcSource = info.rcTarget = whole;
        info.AvgTimePerFrame = frameTime;
        info.dwPictAspectRatioX = DWORD(width);
        info.dwPictAspectRatioY = DWORD(height);
        if (subtype != MEDIASUBTYPE_RGB32 && subtype != MEDIASUBTYPE_RGB24) info.dwControlFlags = ControlFlagsOf(color);
        info.bmiHeader = bmi;
        SetMediaTypeFormat(type, FORMAT_VideoInfo2, &info, sizeof info);
    } else {
        VIDEOINFOHEADER info{};
        info.rcSource = info.rcTarget = whole;
        info.AvgTimePerFrame = frameTime;
        info.bmiHeader = bmi;
        SetMediaTypeFormat(type, FORMAT_VideoInfo, &info, sizeof info);
    }
    return type;
}

graph::VideoColorInfo ColorInfoOfPictures(AVColorSpace space, AVColorRange range, AVPixelFormat format) {
    using graph::ColorMatrix, graph::ColorRange;
    graph::VideoColorInfo color;
    switch (space) {
    case AVCOL_SPC_BT709: color.matrix = ColorMatrix::Bt709; break;
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M: color.matrix = ColorMatrix::Bt601; break;
    case AVCOL_SPC_BT2020_NCL:
    case AVCOL_SPC_BT2020_CL: color.matrix = ColorMatrix::Bt2020; break;
    case AVCOL_SPC_SMPTE240M: color.matrix = ColorMatrix::Smpte240m; break;
    case AVCOL_SPC_FCC: color.matrix = ColorMatrix::Fcc; break;
    default: break;
    }
    const bool fullRangeFormat = format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P ||
                                 format == AV_PIX_FMT_YUVJ444P || format == AV_PIX_FMT_YUVJ440P ||
                                 format == AV_PIX_FMT_YUVJ411P;
    if (range == AVCOL_RANGE_JPEG || fullRangeFormat)
        color.range = ColorRange::Full;
    else if (range == AVCOL_RANGE_MPEG)
        color.range = ColorRange::Limited;
    return color;
}

bool VideoTypeSize(const AM_MEDIA_TYPE& type, int& width, int& height) {
    const BITMAPINFOHEADER* bmi = nullptr;
    if (type.formattype == FORMAT_VideoInfo2 && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        bmi = &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    else if (type.formattype == FORMAT_VideoInfo && type.pbFormat && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        bmi = &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    if (!bmi) return false;
    width = bmi->biWidth;
    height = std::abs(bmi->biHeight);
    return width > 0 && height > 0;
}

}  // namespace orvo::ffmpeg
