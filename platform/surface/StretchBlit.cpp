#include "platform/surface/StretchBlit.h"

#include <algorithm>
#include <cstdlib>

#include "platform/surface/PictureScaler.h"

namespace orvo::surface {
namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

RECT ScreenOf(xcb_connection_t* c, xcb_window_t root) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        if (it.data->root == root) return {0, 0, it.data->width_in_pixels, it.data->height_in_pixels};
    return {0, 0, 0, 0};
}

bool SameSize(const RECT& a, const RECT& b) { return RectWidth(a) == RectWidth(b) && RectHeight(a) == RectHeight(b); }

PixelImage* ScratchFor(xcb_connection_t* c, LONG width, LONG height, std::unique_ptr<PixelImage>& scratch) {
    if (scratch && scratch->Connection() == c && scratch->Width() >= width && scratch->Height() >= height)
        return scratch.get();
    if (scratch && scratch->Connection() == c) {
        width = std::max<LONG>(width, scratch->Width());
        height = std::max<LONG>(height, scratch->Height());
    }
    scratch.reset();
    scratch = PixelImage::Create(c, uint16_t(width), uint16_t(height));
    return scratch.get();
}

// Scales sourceRect of source to a destination of destWidth x destHeight and keeps only
// clip (relative to that destination) in scratch's top-left corner.
bool ScaleClipped(const PixelImage& source, const RECT& sourceRect, LONG destWidth, LONG destHeight, const RECT& clip,
                  PixelImage& scratch) {
    const uint8_t* from = source.Pixels() + size_t(sourceRect.top) * source.Pitch() + size_t(sourceRect.left) * 4;
    return ScalePicture({from, source.Pitch(), RectWidth(sourceRect), RectHeight(sourceRect)}, scratch.Pixels(),
                        scratch.Pitch(), destWidth, destHeight, clip);
}

}  // namespace

xcb_window_t FirstRoot(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

bool QueryBlitTarget(xcb_connection_t* c, xcb_window_t window, bool includeInferiors, BlitTarget& target) {
    const xcb_window_t root = FirstRoot(c);
    auto geometryCookie = xcb_get_geometry(c, window);
    auto originCookie = xcb_translate_coordinates(c, window, root, 0, 0);
    XReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr), &std::free);
    XReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, originCookie, nullptr),
                                                     &std::free);
    if (!geometry || !origin) return false;
    target = {window,          {origin->dst_x, origin->dst_y}, geometry->width, geometry->height, geometry->depth,
              includeInferiors, ScreenOf(c, geometry->root)};
    return true;
}

bool StretchBlit(PixelImage& source, const RECT& sourceRect, const BlitTarget& target, const RECT& destRect,
                 std::unique_ptr<PixelImage>& scratch) {
    // The destination in window coordinates, and the part of it inside the window.
    const LONG left = destRect.left - target.origin.x, top = destRect.top - target.origin.y;
    const RECT visible{std::max<LONG>(left, 0), std::max<LONG>(top, 0),
                       std::min<LONG>(left + RectWidth(destRect), target.width),
                       std::min<LONG>(top + RectHeight(destRect), target.height)};
    if (visible.right <= visible.left || visible.bottom <= visible.top) return true;
    // The visible part relative to the destination rectangle.
    const RECT clip{visible.left - left, visible.top - top, visible.right - left, visible.bottom - top};

    xcb_connection_t* c = source.Connection();
    xcb_gcontext_t gc = xcb_generate_id(c);
    const uint32_t mode = target.includeInferiors ? XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS
                                                  : XCB_SUBWINDOW_MODE_CLIP_BY_CHILDREN;
    xcb_create_gc(c, gc, target.window, XCB_GC_SUBWINDOW_MODE, &mode);
    bool drawn = false;
    if (SameSize(sourceRect, destRect)) {
        const RECT part{sourceRect.left + clip.left, sourceRect.top + clip.top, sourceRect.left + clip.right,
                        sourceRect.top + clip.bottom};
        drawn = source.Put(target.window, gc, part, int16_t(visible.left), int16_t(visible.top));
    } else if (PixelImage* stretched = ScratchFor(c, RectWidth(clip), RectHeight(clip), scratch)) {
        drawn = ScaleClipped(source, sourceRect, RectWidth(destRect), RectHeight(destRect), clip, *stretched) &&
                stretched->Put(target.window, gc, {0, 0, RectWidth(clip), RectHeight(clip)}, int16_t(visible.left),
                               int16_t(visible.top));
    }
    xcb_free_gc(c, gc);
    xcb_flush(c);
    return drawn;
}

}  // namespace orvo::surface
