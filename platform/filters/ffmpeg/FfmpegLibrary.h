#pragma once
// One-time set-up of the FFmpeg libraries for the platform's filters.

namespace orvo::ffmpeg {

// Silences FFmpeg's own logging: the platform reports through result codes only.
// Safe to call from any thread, any number of times.
void InitializeFfmpeg();

}  // namespace orvo::ffmpeg
