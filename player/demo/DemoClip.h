#pragma once
// What the demo clip holds: the left and right views side by side in one picture, and stereo
// sound.
namespace demo {

inline constexpr int kEyeWidth = 640;
inline constexpr int kEyeHeight = 360;
inline constexpr int kFramesPerSecond = 25;
inline constexpr double kSeconds = 22;
inline constexpr int kSampleRate = 48000;

}  // namespace demo
