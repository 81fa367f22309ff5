#pragma once
// The 505 x 288 picture the player shows while nothing plays.
#include <QImage>

namespace skin {

QImage MakeLogo();

}  // namespace skin
