#pragma once
// Device-independent bitmaps and memory device contexts: bitmaps live in process memory
// and a memory device context holds the one selected into it. Handles are checked, so a
// stale or foreign handle fails instead of being used. Safe from any thread.
#include "platform/com/Types.h"

#include "platform/window/BitmapHeader.h"

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

using HGDIOBJ = void*;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT OBJ_BITMAP = 7;

// A memory device context compatible with the screen (dc is ignored); it starts with a
// 1 x 1 stock bitmap selected.
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
// Selects a bitmap into a memory device context; the bitmap selected before, or null.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// OBJ_BITMAP only: the bitmap selected into dc, or null.
HGDIOBJ GetCurrentObject(HDC dc, UINT type);

// A bitmap of the header's size and bit count (1 to 32 bits, BI_RGB or BI_BITFIELDS),
// rows padded to 4 bytes, zero-filled; *bits (when given) receives its pixel memory. The
// section arguments must be null and 0.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset);
// Copy up to count bytes into or out of the bitmap's pixels; the number of bytes copied.
LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits);
LONG GetBitmapBits(HBITMAP bitmap, LONG count, void* bits);
// Fills a BITMAP for a bitmap; the bytes written, or 0.
int GetObjectW(HGDIOBJ object, int size, void* out);
// Deletes a bitmap that is not selected into a device context.
BOOL DeleteObject(HGDIOBJ object);
