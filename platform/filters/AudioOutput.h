#pragma once
// Where the audio renderer's frames go: an ALSA playback device, or, when none opens, a null
// output that consumes frames at real-time pace, so that playback keeps time either way.
//
// Threads: the renderer's streaming thread opens, writes, drains and closes; the audio clock
// asks PlayedTime from any thread. Each output guards its state with its own lock.
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/filters/PcmFormat.h"

namespace orvo::filters {

// Frames played so far in the current run of the device; epoch changes whenever the count
// starts again (open, recovery after an underrun, restart after running dry).
struct PlayedPosition {
    uint64_t epoch;
    REFERENCE_TIME time;  // 100-ns units of played frames
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Writes every frame unless aborted() turns true first; gives the frames written.
    virtual size_t Write(const BYTE* frames, size_t frameCount, const std::function<bool()>& aborted) = 0;
    // Waits until what was written has played, or aborted() turns true.
    virtual void Drain(const std::function<bool()>& aborted) = 0;
    // Discards what has not played yet.
    virtual void Discard() = 0;
    // nullopt while nothing is playing (nothing queued, or the device stopped).
    virtual std::optional<PlayedPosition> PlayedTime() = 0;
    virtual bool IsDevice() const = 0;

    // The ALSA device named by AudioDeviceName(), else the null output. rate is the device
    // rate (the stream's times the playback rate).
    static std::unique_ptr<AudioOutput> Open(const PcmFormat& format, DWORD rate);
};

// The ALSA playback device that new audio renderers open ("default" until set).
void SetAudioDeviceName(const std::string& name);
std::string AudioDeviceName();

}  // namespace orvo::filters
