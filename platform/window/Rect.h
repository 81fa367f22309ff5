#pragma once
// Rectangles and points in window-system pixels.
#include "platform/com/Types.h"

struct POINT {
    LONG x;
    LONG y;
};

// Right and bottom are exclusive. Media format blocks carry the same record.
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
static_assert(sizeof(RECT) == 16);

struct SIZE {
    LONG cx;
    LONG cy;
};

inline LONG RectWidth(const RECT& r) { return r.right - r.left; }
inline LONG RectHeight(const RECT& r) { return r.bottom - r.top; }
