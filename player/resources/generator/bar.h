#pragma once
// The seek bar's images: track, fill, the invisible thumb and the drag-preview square.
#include <QImage>

namespace skin {

QImage MakeTrack();         // 356 x 10, light
QImage MakeFill();          // 356 x 10, the darker played part, same shape as the track
QImage MakeHiddenThumb();   // 1 x 10, fully transparent
QImage MakePreviewThumb();  // 10 x 10, translucent square

}  // namespace skin
