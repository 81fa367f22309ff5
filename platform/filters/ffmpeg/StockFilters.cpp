// The platform's own FFmpeg filters in the class table and the filter registry, for as long as
// libPlatform.so is loaded.
#include "platform/com/Runtime.h"
#include "platform/filters/ffmpeg/CodecTable.h"
#include "platform/filters/ffmpeg/FFmpegFilters.h"
#include "platform/filters/ffmpeg/StockFilterIds.h"
#include "platform/graph/FilterRegistry.h"

namespace orvo::ffmpeg {
namespace {

HRESULT CreateFileSource(REFIID riid, void** object) {
    return CreateSplitterFilter(CLSID_StockFileSource, riid, object);
}

HRESULT CreateVideoDecoder(REFIID riid, void** object) {
    return CreateVideoDecoderFilter(CLSID_StockVideoDecoder, CodecSet::System, riid, object);
}

HRESULT CreateAudioDecoder(REFIID riid, void** object) {
    return CreateAudioDecoderFilter(CLSID_StockAudioDecoder, CodecSet::System, riid, object);
}

std::vector<graph::MediaTypePair> SystemInputs(const GUID& major, AVMediaType kind) {
    std::vector<graph::MediaTypePair> inputs;
    for (const GUID& subtype : SubtypesInSet(CodecSet::System, kind)) inputs.push_back({major, subtype});
    return inputs;
}

graph::FilterRegistration FileSource() {
    graph::FilterRegistration entry{CLSID_StockFileSource, u"File Source"};
    entry.isFileSource = true;
    return entry;
}

graph::FilterRegistration VideoDecoder() {
    return {CLSID_StockVideoDecoder, u"Video Decoder", MERIT_NORMAL, SystemInputs(MEDIATYPE_Video, AVMEDIA_TYPE_VIDEO)};
}

graph::FilterRegistration AudioDecoder() {
    return {CLSID_StockAudioDecoder, u"Audio Decoder", MERIT_NORMAL, SystemInputs(MEDIATYPE_Audio, AVMEDIA_TYPE_AUDIO)};
}

const com::ClassRegistration s_fileSourceClass(CLSID_StockFileSource, &CreateFileSource);
const com::ClassRegistration s_videoDecoderClass(CLSID_StockVideoDecoder, &CreateVideoDecoder);
const com::ClassRegistration s_audioDecoderClass(CLSID_StockAudioDecoder, &CreateAudioDecoder);
const graph::FilterRegistrationScope s_fileSource(FileSource());
const graph::FilterRegistrationScope s_videoDecoder(VideoDecoder());
const graph::FilterRegistrationScope s_audioDecoder(AudioDecoder());

}  // namespace
}  // namespace orvo::ffmpeg
