#pragma once
// The button strips: pictures side by side, each as wide as the strip's width divided by
// the number of pictures.
#include <QImage>

namespace skin {

// 78 x 14: play normal, over, pressed, then pause pressed, over, normal.
QImage MakePlayPauseStrip();
// 60 x 15: a speaker, normal, over, pressed, disabled.
QImage MakeVolumeStrip();
// 48 x 14: four corner brackets, normal, over, pressed, disabled.
QImage MakeFullScreenStrip();

}  // namespace skin
