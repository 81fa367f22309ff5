#pragma once
// The header of a device-independent bitmap, as bitmaps and video format blocks carry it.
#include "platform/com/Types.h"

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: bottom-up rows
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_BITFIELDS = 3;
