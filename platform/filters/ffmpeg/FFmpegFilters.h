#pragma once
// Makers of the FFmpeg filters, for class factories: the decoder plug-ins pass their class ids
// and every codec, the platform's own filters theirs and the system codec set.
#include "platform/filters/ffmpeg/CodecTable.h"

namespace orvo::ffmpeg {

HRESULT CreateSplitterFilter(REFCLSID clsid, REFIID riid, void** object);
HRESULT CreateVideoDecoderFilter(REFCLSID clsid, CodecSet codecs, REFIID riid, void** object);
HRESULT CreateAudioDecoderFilter(REFCLSID clsid, CodecSet codecs, REFIID riid, void** object);

}  // namespace orvo::ffmpeg
