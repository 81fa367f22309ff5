// LAVVideo.ax: the video decoder for every video codec FFmpeg decodes.
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "plugins/PluginClassIds.h"
#include "plugins/PluginModule.h"

namespace {

HRESULT CreateVideoDecoder(REFIID riid, void** object) {
    return orvo::ffmpeg::CreateVideoDecoderFilter(CLSID_LAVVideoDecoder, orvo::ffmpeg::CodecSet::All, riid, object);
}

}  // namespace

ORVO_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return orvo::plugins::ServeClassObject(clsid, CLSID_LAVVideoDecoder, &CreateVideoDecoder, riid, object);
}
