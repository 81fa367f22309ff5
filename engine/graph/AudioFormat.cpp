#include "engine/graph/AudioFormat.h"

#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/MediaFormats.h"

namespace orvo::engine {
namespace {

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter) {
    std::vector<ComPtr<IPin>> pins;
    ComPtr<IEnumPins> pinEnum;
    if (FAILED(filter->EnumPins(pinEnum.Put()))) return pins;
    ComPtr<IPin> pin;
    while (pinEnum->Next(1, pin.Put(), nullptr) == S_OK) pins.push_back(std::move(pin));
    return pins;
}

// The wave format connected at an audio input pin; false for any other pin.
bool AudioInputFormat(IPin* pin, AudioFormat& out) {
    PIN_DIRECTION direction;
    if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_INPUT) return false;
    graph::MediaType type;
    if (FAILED(pin->ConnectionMediaType(&type))) return false;
    const WAVEFORMATEX* wave = type.FormatAs<WAVEFORMATEX>();
    if (type.majortype != MEDIATYPE_Audio || type.formattype != FORMAT_WaveFormatEx || !wave) return false;
    out = {wave->nChannels, int32_t(wave->nSamplesPerSec), wave->wBitsPerSample};
    return true;
}

// A sink has no output pin: what reaches its input is what is played. A decoder's input
// carries the compressed format, which says nothing about the sound heard.
bool SinkAudioFormat(IBaseFilter* filter, AudioFormat& out) {
    const std::vector<ComPtr<IPin>> pins = PinsOf(filter);
    for (const ComPtr<IPin>& pin : pins) {
        PIN_DIRECTION direction;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_OUTPUT) return false;
    }
    for (const ComPtr<IPin>& pin : pins)
        if (AudioInputFormat(pin.Get(), out)) return true;
    return false;
}

}  // namespace

AudioFormat ConnectedAudioFormat(IFilterGraph* graph) {
    AudioFormat format;
    ComPtr<IEnumFilters> filters;
    if (!graph || FAILED(graph->EnumFilters(filters.Put()))) return format;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Put(), nullptr) == S_OK)
        if (SinkAudioFormat(filter.Get(), format)) return format;
    return {};
}

}  // namespace orvo::engine
