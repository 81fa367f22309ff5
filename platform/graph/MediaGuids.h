#pragma once
// Major types, subtypes and format types of media types.
#include "platform/com/Guid.h"

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

inline constexpr GUID MEDIATYPE_Video = GuidFromFourCC(MakeFourCC('v', 'i', 'd', 's'));
inline constexpr GUID MEDIATYPE_Audio = GuidFromFourCC(MakeFourCC('a', 'u', 'd', 's'));
inline constexpr GUID MEDIATYPE_Text = GuidFromFourCC(MakeFourCC('t', 'x', 't', 's'));
inline constexpr GUID MEDIATYPE_Stream = MakeGuid("{E436EB83-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIATYPE_Subtitle = MakeGuid("{E487EB08-6B26-4BE9-9DD3-993434D313FD}");

inline constexpr GUID MEDIASUBTYPE_None = MakeGuid("{E436EB8E-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIASUBTYPE_RGB565 = MakeGuid("{E436EB7B-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIASUBTYPE_RGB555 = MakeGuid("{E436EB7C-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIASUBTYPE_RGB24 = MakeGuid("{E436EB7D-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIASUBTYPE_RGB32 = MakeGuid("{E436EB7E-524F-11CE-9F53-0020AF0BA770}");
inline constexpr GUID MEDIASUBTYPE_YV12 = GuidFromFourCC(MakeFourCC('Y', 'V', '1', '2'));
inline constexpr GUID MEDIASUBTYPE_IYUV = GuidFromFourCC(MakeFourCC('I', 'Y', 'U', 'V'));
inline constexpr GUID MEDIASUBTYPE_I420 = GuidFromFourCC(MakeFourCC('I', '4', '2', '0'));
inline constexpr GUID MEDIASUBTYPE_NV12 = GuidFromFourCC(MakeFourCC('N', 'V', '1', '2'));
inline constexpr GUID MEDIASUBTYPE_YUY2 = GuidFromFourCC(MakeFourCC('Y', 'U', 'Y', '2'));
// Planar 4:2:2 and 4:4:4 of 8 bits; semi-planar 4:2:0 and 4:2:2 of 10 and 16 bits, each sample
// in the high bits of a little-endian word; planar 4:2:0, 4:2:2 and 4:4:4 of 10 and 12 bits in
// the low bits of little-endian words (tagged 'Y3', then 11, 10 or 0 for the sampling, then the
// depth). Every plane's rows are packed.
inline constexpr GUID MEDIASUBTYPE_Y42B = GuidFromFourCC(MakeFourCC('Y', '4', '2', 'B'));
inline constexpr GUID MEDIASUBTYPE_444P = GuidFromFourCC(MakeFourCC('4', '4', '4', 'P'));
inline constexpr GUID MEDIASUBTYPE_P010 = GuidFromFourCC(MakeFourCC('P', '0', '1', '0'));
inline constexpr GUID MEDIASUBTYPE_P016 = GuidFromFourCC(MakeFourCC('P', '0', '1', '6'));
inline constexpr GUID MEDIASUBTYPE_P210 = GuidFromFourCC(MakeFourCC('P', '2', '1', '0'));
inline constexpr GUID MEDIASUBTYPE_P216 = GuidFromFourCC(MakeFourCC('P', '2', '1', '6'));
inline constexpr GUID MEDIASUBTYPE_YUV420P10 = GuidFromFourCC(MakeFourCC('Y', '3', 11, 10));
inline constexpr GUID MEDIASUBTYPE_YUV420P12 = GuidFromFourCC(MakeFourCC('Y', '3', 11, 12));
inline constexpr GUID MEDIASUBTYPE_YUV422P10 = GuidFromFourCC(MakeFourCC('Y', '3', 10, 10));
inline constexpr GUID MEDIASUBTYPE_YUV422P12 = GuidFromFourCC(MakeFourCC('Y', '3', 10, 12));
inline constexpr GUID MEDIASUBTYPE_YUV444P10 = GuidFromFourCC(MakeFourCC('Y', '3', 0, 10));
inline constexpr GUID MEDIASUBTYPE_YUV444P12 = GuidFromFourCC(MakeFourCC('Y', '3', 0, 12));
inline constexpr GUID MEDIASUBTYPE_MJPG = GuidFromFourCC(MakeFourCC('M', 'J', 'P', 'G'));
inline constexpr GUID MEDIASUBTYPE_PCM = GuidFromFourCC(0x0001);
inline constexpr GUID MEDIASUBTYPE_IEEE_FLOAT = GuidFromFourCC(0x0003);

inline constexpr GUID FORMAT_None = MakeGuid("{0F6417D6-C318-11D0-A43F-00A0C9223196}");
inline constexpr GUID FORMAT_VideoInfo = MakeGuid("{05589F80-C356-11CE-BF01-00AA0055595A}");
inline constexpr GUID FORMAT_VideoInfo2 = MakeGuid("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}");
inline constexpr GUID FORMAT_WaveFormatEx = MakeGuid("{05589F81-C356-11CE-BF01-00AA0055595A}");
