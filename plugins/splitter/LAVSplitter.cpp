// LAVSplitter.ax: the splitter in its source form, opening every file FFmpeg reads.
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "plugins/PluginClassIds.h"
#include "plugins/PluginModule.h"

namespace {

HRESULT CreateSplitter(REFIID riid, void** object) {
    return orvo::ffmpeg::CreateSplitterFilter(CLSID_LAVSplitterSource, riid, object);
}

}  // namespace

ORVO_PLUGIN_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return orvo::plugins::ServeClassObject(clsid, CLSID_LAVSplitterSource, &CreateSplitter, riid, object);
}
