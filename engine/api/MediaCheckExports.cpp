// Lumex_CheckVideo: needs no initialised library, only a component apartment on the
// calling thread. Called on the caller's thread.
#include "engine/api/Lumex.h"
#include "engine/graph/MediaCheck.h"

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_CheckVideo(const void* name, AudioCheckInfo* audio, VideoCheckInfo* video,
                                              int32_t form) {
    return orvo::engine::CheckMediaFile(name, form, audio, video);
}

}  // extern "C"
