#include "platform/filters/ffmpeg/FfmpegLibrary.h"

#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace orvo::ffmpeg {

void InitializeFfmpeg() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

}  // namespace orvo::ffmpeg
