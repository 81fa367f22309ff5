#include "platform/surface/StretchBlit.h"

#include <xcb/render.h>
#include <xcb/xcb_renderutil.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace orvo::surface {
namespace {

template <class T>
using XReply = std::unique_ptr<T, decltype(&std::free)>;

// Bilinear sampling reaches half a pixel past the sampled area; that is harmless at the
// pixmap's padded edges but would mix in pixels beside a part, so parts take the nearest.
const char* FilterFor(const BlitSource& source, const RECT& sourceRect) {
    const bool whole = sourceRect.left == 0 && sourceRect.top == 0 && sourceRect.right == source.width &&
                       sourceRect.bottom == source.height;
    return whole ? "bilinear" : "nearest";
}

xcb_render_fixed_t Fixed(double value) { return xcb_render_fixed_t(std::lround(value * 65536.0)); }

// Maps destination pixels (relative to the unclipped destination) onto the source part.
xcb_render_transform_t ScaleTransform(const RECT& source, const RECT& dest) {
    const double sx = double(RectWidth(source)) / RectWidth(dest);
    const double sy = double(RectHeight(source)) / RectHeight(dest);
    return {Fixed(sx), 0, Fixed(source.left), 0, Fixed(sy), Fixed(source.top), 0, 0, Fixed(1.0)};
}

xcb_render_picture_t SourcePicture(xcb_connection_t* c, const xcb_render_query_pict_formats_reply_t* formats,
                                   const BlitSource& source, const RECT& sourceRect, const RECT& destRect) {
    const xcb_render_pictforminfo_t* rgb24 = xcb_render_util_find_standard_format(formats, XCB_PICT_STANDARD_RGB_24);
    if (!rgb24) return XCB_NONE;
    xcb_render_picture_t picture = xcb_generate_id(c);
    const uint32_t repeat = XCB_RENDER_REPEAT_PAD;
    xcb_render_create_picture(c, picture, source.pixmap, rgb24->id, XCB_RENDER_CP_REPEAT, &repeat);
    xcb_render_set_picture_transform(c, picture, ScaleTransform(sourceRect, destRect));
    const char* filter = FilterFor(source, sourceRect);
    xcb_render_set_picture_filter(c, picture, uint16_t(std::strlen(filter)), filter, 0, nullptr);
    return picture;
}

xcb_render_picture_t TargetPicture(xcb_connection_t* c, const xcb_render_query_pict_formats_reply_t* formats,
                                   const BlitTarget& target) {
    xcb_render_pictvisual_t* visual = xcb_render_util_find_visual_format(formats, target.visual);
    if (!visual) return XCB_NONE;
    xcb_render_picture_t picture = xcb_generate_id(c);
    const uint32_t mode = target.includeInferiors ? XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS
                                                  : XCB_SUBWINDOW_MODE_CLIP_BY_CHILDREN;
    xcb_render_create_picture(c, picture, target.window, visual->format, XCB_RENDER_CP_SUBWINDOW_MODE, &mode);
    return picture;
}

RECT ScreenOf(xcb_connection_t* c, xcb_window_t root) {
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(c)); it.rem; xcb_screen_next(&it))
        if (it.data->root == root) return {0, 0, it.data->width_in_pixels, it.data->height_in_pixels};
    return {0, 0, 0, 0};
}

}  // namespace

xcb_window_t FirstRoot(xcb_connection_t* c) { return xcb_setup_roots_iterator(xcb_get_setup(c)).data->root; }

bool QueryBlitTarget(xcb_connection_t* c, xcb_window_t window, bool includeInferiors, BlitTarget& target) {
    const xcb_window_t root = FirstRoot(c);
    auto geometryCookie = xcb_get_geometry(c, window);
    auto attributesCookie = xcb_get_window_attributes(c, window);
    auto originCookie = xcb_translate_coordinates(c, window, root, 0, 0);
    XReply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, geometryCookie, nullptr), &std::free);
    XReply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(c, attributesCookie, nullptr),
                                                         &std::free);
    XReply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(c, originCookie, nullptr),
                                                     &std::free);
    if (!geometry || !attributes || !origin) return false;
    target = {window,           {origin->dst_x, origin->dst_y}, geometry->width, geometry->height, attributes->visual,
              includeInferiors, ScreenOf(c, geometry->root)};
    return true;
}

bool StretchBlit(xcb_connection_t* c, const BlitSource& source, const RECT& sourceRect, const BlitTarget& target,
                 const RECT& destRect) {
    // The destination in window coordinates, and the part of it inside the window.
    const LONG left = destRect.left - target.origin.x, top = destRect.top - target.origin.y;
    const LONG x0 = std::max<LONG>(left, 0), y0 = std::max<LONG>(top, 0);
    const LONG x1 = std::min<LONG>(left + RectWidth(destRect), target.width);
    const LONG y1 = std::min<LONG>(top + RectHeight(destRect), target.height);
    if (x1 <= x0 || y1 <= y0) return true;

    const xcb_render_query_pict_formats_reply_t* formats = xcb_render_util_query_formats(c);
    if (!formats) return false;
    xcb_render_picture_t from = SourcePicture(c, formats, source, sourceRect, destRect);
    xcb_render_picture_t to = TargetPicture(c, formats, target);
    if (from == XCB_NONE || to == XCB_NONE) {
        if (from != XCB_NONE) xcb_render_free_picture(c, from);
        return false;
    }
    xcb_void_cookie_t drawn = xcb_render_composite_checked(
        c, XCB_RENDER_PICT_OP_SRC, from, XCB_NONE, to, int16_t(x0 - left), int16_t(y0 - top), 0, 0, int16_t(x0),
        int16_t(y0), uint16_t(x1 - x0), uint16_t(y1 - y0));
    xcb_render_free_picture(c, from);
    xcb_render_free_picture(c, to);
    // The check waits for the server, which has then finished reading the source.
    xcb_generic_error_t* error = xcb_request_check(c, drawn);
    std::free(error);
    return !error && !xcb_connection_has_error(c);
}

}  // namespace orvo::surface
