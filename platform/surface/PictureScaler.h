#pragma once
// The bilinear stretch of a 32-bit picture (libyuv), done whole or band by band with the
// same bytes: a band of destination rows is scaled from only the source rows it reads,
// so a picture can be made and stretched a band at a time while it is still in the cache.
#include <cstdint>

#include "platform/window/Rect.h"

namespace orvo::surface {

// 32-bit pixels: rows pitch bytes apart.
struct PixelRect {
    const uint8_t* pixels;
    int32_t pitch;
    int32_t width;
    int32_t height;
};

// Source rows [first, last) of a picture.
struct RowSpan {
    int32_t first;
    int32_t last;
};

// Stretches source (whole) to a destWidth x destHeight picture and writes only its part
// clip into dest, whose first pixel is the clip's top-left corner.
bool ScalePicture(const PixelRect& source, uint8_t* dest, int32_t destPitch, int32_t destWidth, int32_t destHeight,
                  const RECT& clip);

// The source rows that destination rows [top, bottom) of a sourceHeight -> destHeight
// stretch read, with rows to spare on either side.
RowSpan SourceRowsOf(int32_t top, int32_t bottom, int32_t sourceHeight, int32_t destHeight);

// Destination rows [top, bottom) of the stretch of a sourceWidth x sourceHeight picture of
// which only rows `span` are at hand: band holds them (rows pitch bytes apart) followed by
// one more row and kBandSlack bytes the stretch may read. Writes them to dest, whose first
// pixel is the first pixel of row `top`. When span ends at the picture's last row, the
// row after it in band is filled with a copy of that row: the stretch of a band can read
// one row past the picture where the whole stretch stops at its last row, and a copy reads
// the same bytes.
bool ScaleBand(uint8_t* band, int32_t pitch, RowSpan span, int32_t sourceWidth, int32_t sourceHeight, uint8_t* dest,
               int32_t destPitch, int32_t destWidth, int32_t destHeight, int32_t top, int32_t bottom);

// Bytes past a band's spare row that the stretch may read (it reads whole vectors).
constexpr int32_t kBandSlack = 64;

}  // namespace orvo::surface
