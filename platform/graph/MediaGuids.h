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
inline constexpr GUID MEDIASUBTYPE_MJPG = GuidFromFourCC(MakeFourCC('M', 'J', 'P', 'G'));
inline constexpr GUID MEDIASUBTYPE_PCM = GuidFromFourCC(0x0001);
inline constexpr GUID MEDIASUBTYPE_IEEE_FLOAT = GuidFromFourCC(0x0003);

inline constexpr GUID FORMAT_None = MakeGuid("{0F6417D6-C318-11D0-A43F-00A0C9223196}");
inline constexpr GUID FORMAT_VideoInfo = MakeGuid("{05589F80-C356-11CE-BF01-00AA0055595A}");
inline constexpr GUID FORMAT_VideoInfo2 = MakeGuid("{F72A76A0-EB0A-11D0-ACE4-0000C0CC16BA}");
inline constexpr GUID FORMAT_WaveFormatEx = MakeGuid("{05589F81-C356-11CE-BF01-00AA0055595A}");
