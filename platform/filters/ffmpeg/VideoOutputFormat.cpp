#include "platform/filters/ffmpeg/VideoOutputFormat.h"

#include <algorithm>
#include <cstring>

extern "C" {
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

const OutputForm kForms[] = {
    {&MEDIASUBTYPE_NV12, AV_PIX_FMT_NV12, 12, MakeFourCC('N', 'V', '1', '2')},
    {&MEDIASUBTYPE_YV12, AV_PIX_FMT_NONE, 12, MakeFourCC('Y', 'V', '1', '2')},
    {&MEDIASUBTYPE_IYUV, AV_PIX_FMT_YUV420P, 12, MakeFourCC('I', 'Y', 'U', 'V')},
    {&MEDIASUBTYPE_YUY2, AV_PIX_FMT_YUYV422, 16, MakeFourCC('Y', 'U', 'Y', '2')},
    {&MEDIASUBTYPE_RGB32, AV_PIX_FMT_BGR0, 32, BI_RGB},
    {&MEDIASUBTYPE_RGB24, AV_PIX_FMT_BGR24, 24, BI_RGB},
};

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
    for (const OutputForm& form : kForms)
        if (*form.subtype != first) order.push_back(*form.subtype);
    return order;
}

bool IsOutputSubtype(const GUID& subtype) { return FindForm(subtype) != nullptr; }

size_t PackedImageSize(const GUID& subtype, int width, int height) {
    const size_t w = size_t(width), h = size_t(height), cw = (w + 1) / 2, ch = (h + 1) / 2;
    if (subtype == MEDIASUBTYPE_NV12) return w * h + 2 * cw * ch;
    if (subtype == MEDIASUBTYPE_YV12 || subtype == MEDIASUBTYPE_IYUV) return w * h + 2 * cw * ch;
    if (subtype == MEDIASUBTYPE_YUY2) return 4 * cw * h;
    if (subtype == MEDIASUBTYPE_RGB32) return 4 * w * h;
    if (subtype == MEDIASUBTYPE_RGB24) return 3 * w * h;
    return 0;
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
