#pragma once
// The 505 x 288 picture the player shows while nothing plays.
#include <QImage>

namespace skin {

QImage MakeLogo();
// The 256 x 256 application icon: the logo's emblem on a plate of its own.
QImage MakeIcon();

}  // namespace skin
