// LAVAudio.ax: the audio decoder for every audio codec FFmpeg decodes.
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "plugins/PluginClassIds.h"
#include "plugins/PluginModule.h"

namespace {

HRESULT CreateAudioDecoder(REFIID riid, void** object) {
    return orvo::ffmpeg::CreateAudioDecoderFilter(CLSID_LAVAudioDecoder, orvo::ffmpeg::CodecSet::All, riid, object);
}

}  // namespace

ORVO_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return orvo::plugins::ServeClassObject(clsid, CLSID_LAVAudioDecoder, &CreateAudioDecoder, riid, object);
}
