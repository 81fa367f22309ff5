// Lumex_CheckVideo: needs no initialised library, only a component apartment on the
// calling thread. Called on the caller's thread.
#include "engine/api/Lumex.h"
#include "engine/graph/MediaCheck.h"

namespace {

// The caller's record goes in as it is and comes back with what the check wrote, so that
// fields the check leaves alone stay as the caller had them.
template <class Exported, class Engine>
struct RecordRelay {
    Exported* exported;
    Engine engine{};

    explicit RecordRelay(Exported* record) : exported(record) {
        if (!exported) return;
        engine.subtype = exported->subtype;
        CopyFields(*exported, engine);
    }
    ~RecordRelay() {
        if (!exported) return;
        exported->subtype = engine.subtype;
        CopyFields(engine, *exported);
    }
    Engine* Get() { return exported ? &engine : nullptr; }

    template <class From, class To>
    static void CopyFields(const From& from, To& to) {
        if constexpr (requires { from.channels; }) {
            to.channels = from.channels;
            to.sampleRate = from.sampleRate;
            to.formatTag = from.formatTag;
        } else {
            to.width = from.width;
            to.height = from.height;
            to.compression = from.compression;
        }
    }
};

}  // namespace

extern "C" {

LUMEX_API int32_t LUMEX_CALL Lumex_CheckVideo(const void* name, AudioCheckInfo* audio, VideoCheckInfo* video,
                                              int32_t form) {
    RecordRelay<AudioCheckInfo, orvo::engine::UnrenderedAudio> audioRecord(audio);
    RecordRelay<VideoCheckInfo, orvo::engine::UnrenderedVideo> videoRecord(video);
    return orvo::engine::CheckMediaFile(name, form, audioRecord.Get(), videoRecord.Get());
}

}  // extern "C"
