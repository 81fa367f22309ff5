#include "platform/filters/ffmpeg/FFmpegFilters.h"

#include "platform/filters/ffmpeg/AudioDecoderFilter.h"
#include "platform/filters/ffmpeg/SplitterFilter.h"
#include "platform/filters/ffmpeg/VideoDecoderFilter.h"

namespace orvo::ffmpeg {

HRESULT CreateSplitterFilter(REFCLSID clsid, REFIID riid, void** object) {
    return CreateComObject<CSplitterFilter>(riid, object, clsid);
}

HRESULT CreateVideoDecoderFilter(REFCLSID clsid, CodecSet codecs, REFIID riid, void** object) {
    return CreateComObject<CVideoDecoderFilter>(riid, object, clsid, codecs);
}

HRESULT CreateAudioDecoderFilter(REFCLSID clsid, CodecSet codecs, REFIID riid, void** object) {
    return CreateComObject<CAudioDecoderFilter>(riid, object, clsid, codecs);
}

}  // namespace orvo::ffmpeg
