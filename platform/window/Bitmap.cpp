#include "platform/window/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

struct HBITMAP__ {
    LONG width;
    LONG height;  // as the header gave it: positive for bottom-up rows
    WORD bitCount;
    LONG stride;
    std::unique_ptr<uint8_t[]> pixels;
    size_t bytes;
    int selections = 0;  // device contexts holding it
    bool stock = false;
};

struct HDC__ {
    HBITMAP__* selected;
};

namespace {

constexpr size_t kMaxBitmapBytes = size_t(1) << 30;

// Every live handle, so that stale or foreign handles are recognised.
struct Handles {
    std::mutex mutex;
    std::unordered_map<HBITMAP__*, std::unique_ptr<HBITMAP__>> bitmaps;
    std::unordered_map<HDC__*, std::unique_ptr<HDC__>> contexts;
    HBITMAP__ stockBitmap{1, 1, 1, 4, std::make_unique<uint8_t[]>(4), 4, 0, true};
};

Handles& Live() {
    static Handles* handles = new Handles;  // outlives every static user
    return *handles;
}

HBITMAP__* FindBitmap(Handles& h, HGDIOBJ object) {
    auto* bitmap = static_cast<HBITMAP__*>(object);
    if (bitmap == &h.stockBitmap) return bitmap;
    return h.bitmaps.count(bitmap) ? bitmap : nullptr;
}

HDC__* FindContext(Handles& h, HDC dc) { return h.contexts.count(dc) ? dc : nullptr; }

bool ValidHeader(const BITMAPINFOHEADER& header) {
    static constexpr WORD kBitCounts[] = {1, 4, 8, 16, 24, 32};
    return header.biSize >= sizeof(BITMAPINFOHEADER) && header.biWidth > 0 && header.biHeight != 0 &&
           header.biHeight != INT32_MIN && header.biPlanes == 1 &&
           (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) &&
           std::find(std::begin(kBitCounts), std::end(kBitCounts), header.biBitCount) != std::end(kBitCounts);
}

}  // namespace

HDC CreateCompatibleDC(HDC) {
    Handles& h = Live();
    auto context = std::unique_ptr<HDC__>(new (std::nothrow) HDC__{&h.stockBitmap});
    if (!context) return nullptr;
    std::lock_guard lock(h.mutex);
    HDC dc = context.get();
    h.contexts.emplace(dc, std::move(context));
    return dc;
}

BOOL DeleteDC(HDC dc) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HDC__* context = FindContext(h, dc);
    if (!context) return FALSE;
    --context->selected->selections;
    h.contexts.erase(context);
    return TRUE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HDC__* context = FindContext(h, dc);
    HBITMAP__* bitmap = FindBitmap(h, object);
    if (!context || !bitmap) return nullptr;
    HBITMAP__* previous = context->selected;
    --previous->selections;
    ++bitmap->selections;
    context->selected = bitmap;
    return previous;
}

HGDIOBJ GetCurrentObject(HDC dc, UINT type) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HDC__* context = FindContext(h, dc);
    return context && type == OBJ_BITMAP ? context->selected : nullptr;
}

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, void* section, DWORD offset) {
    if (bits) *bits = nullptr;
    if (!info || usage != DIB_RGB_COLORS || section || offset || !ValidHeader(info->bmiHeader)) return nullptr;
    const BITMAPINFOHEADER& header = info->bmiHeader;
    const size_t stride = (size_t(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const size_t rows = size_t(header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight);
    if (stride > kMaxBitmapBytes / rows) return nullptr;
    auto bitmap = std::unique_ptr<HBITMAP__>(new (std::nothrow) HBITMAP__{
        header.biWidth, header.biHeight, header.biBitCount, LONG(stride),
        std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[stride * rows]()), stride * rows});
    if (!bitmap || !bitmap->pixels) return nullptr;
    if (bits) *bits = bitmap->pixels.get();
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HBITMAP handle = bitmap.get();
    h.bitmaps.emplace(handle, std::move(bitmap));
    return handle;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD count, const void* bits) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HBITMAP__* b = FindBitmap(h, bitmap);
    if (!b || !bits || b->stock) return 0;
    const size_t copied = std::min<size_t>(count, b->bytes);
    std::memcpy(b->pixels.get(), bits, copied);
    return LONG(copied);
}

LONG GetBitmapBits(HBITMAP bitmap, LONG count, void* bits) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HBITMAP__* b = FindBitmap(h, bitmap);
    if (!b || !bits || count <= 0) return 0;
    const size_t copied = std::min<size_t>(size_t(count), b->bytes);
    std::memcpy(bits, b->pixels.get(), copied);
    return LONG(copied);
}

int GetObjectW(HGDIOBJ object, int size, void* out) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HBITMAP__* b = FindBitmap(h, object);
    if (!b || !out || size < int(sizeof(BITMAP))) return 0;
    const LONG rows = b->height < 0 ? -b->height : b->height;
    BITMAP description{0, b->width, rows, b->stride, 1, b->bitCount, b->stock ? nullptr : b->pixels.get()};
    std::memcpy(out, &description, sizeof(description));
    return int(sizeof(BITMAP));
}

BOOL DeleteObject(HGDIOBJ object) {
    Handles& h = Live();
    std::lock_guard lock(h.mutex);
    HBITMAP__* b = FindBitmap(h, object);
    if (!b || b->stock || b->selections > 0) return FALSE;
    h.bitmaps.erase(b);
    return TRUE;
}
