#pragma once
// Rounding shared by the skinned controls: to the nearest integer, halves to the even
// neighbour (177.5 gives 178, 19.5 gives 20, 12.5 gives 12).
#include <cmath>

// std::nearbyint follows the floating-point rounding mode, which the program never changes
// from its default, round-to-nearest-even.
inline double RoundHalfEven(double x) { return std::nearbyint(x); }
