#include "platform/filters/AudioOutput.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>

#include "platform/graph/ReferenceClock.h"

namespace orvo::filters {
namespace {

using graph::kUnitsPerSecond;
using graph::MonotonicTime;

constexpr unsigned kDeviceLatencyUs = 100'000;
constexpr auto kPollInterval = std::chrono::milliseconds(2);
constexpr REFERENCE_TIME kNullBuffer = kUnitsPerSecond / 10;  // how far the null output runs ahead

std::mutex g_deviceLock;
std::string g_deviceName = "default";

REFERENCE_TIME FramesToTime(uint64_t frames, DWORD rate) {
    return rate ? REFERENCE_TIME(frames * uint64_t(kUnitsPerSecond) / rate) : 0;
}

snd_pcm_format_t AlsaFormat(SampleFormat sample) {
    switch (sample) {
        case SampleFormat::U8: return SND_PCM_FORMAT_U8;
        case SampleFormat::S16: return SND_PCM_FORMAT_S16_LE;
        case SampleFormat::S24: return SND_PCM_FORMAT_S24_3LE;
        case SampleFormat::S32: return SND_PCM_FORMAT_S32_LE;
        case SampleFormat::F32: return SND_PCM_FORMAT_FLOAT_LE;
    }
    return SND_PCM_FORMAT_UNKNOWN;
}

// ALSA reports open failures on stderr; a missing device is an expected case here.
void SilentAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

class NullOutput final : public AudioOutput {
public:
    NullOutput(const PcmFormat& format, DWORD rate) : m_format(format), m_rate(rate) {}

    size_t Write(const BYTE*, size_t frameCount, const std::function<bool()>& aborted) override {
        {
            std::lock_guard lock(m_lock);
            if (QueuedLocked() == 0) Restart();
            m_written += frameCount;
        }
        // Accept the frames at once but hold the caller while more than the buffer is queued.
        while (!aborted()) {
            {
                std::lock_guard lock(m_lock);
                if (QueuedLocked() <= kNullBuffer) break;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return frameCount;
    }
    void Drain(const std::function<bool()>& aborted) override {
        while (!aborted()) {
            {
                std::lock_guard lock(m_lock);
                if (QueuedLocked() == 0) return;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    void Discard() override {
        std::lock_guard lock(m_lock);
        m_written = 0;
        m_started = -1;
    }
    std::optional<PlayedPosition> PlayedTime() override {
        std::lock_guard lock(m_lock);
        if (m_started < 0 || QueuedLocked() == 0) return std::nullopt;
        return PlayedPosition{m_epoch, MonotonicTime() - m_started};
    }
    bool IsDevice() const override { return false; }

private:
    void Restart() {
        m_started = MonotonicTime();
        m_written = 0;
        ++m_epoch;
    }
    // Time still to play, under m_lock.
    REFERENCE_TIME QueuedLocked() const {
        if (m_started < 0) return 0;
        REFERENCE_TIME queued = FramesToTime(m_written, m_rate) - (MonotonicTime() - m_started);
        return queued > 0 ? queued : 0;
    }

    std::mutex m_lock;
    PcmFormat m_format;
    DWORD m_rate;
    REFERENCE_TIME m_started = -1;
    uint64_t m_written = 0;
    uint64_t m_epoch = 0;
};

class AlsaOutput final : public AudioOutput {
public:
    static std::unique_ptr<AlsaOutput> Open(const PcmFormat& format, DWORD rate) {
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(&SilentAlsaErrors); });
        snd_pcm_t* pcm = nullptr;
        if (snd_pcm_open(&pcm, AudioDeviceName().c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
            return nullptr;
        if (snd_pcm_set_params(pcm, AlsaFormat(format.sample), SND_PCM_ACCESS_RW_INTERLEAVED, format.channels, rate, 1,
                               kDeviceLatencyUs) < 0) {
            snd_pcm_close(pcm);
            return nullptr;
        }
        return std::unique_ptr<AlsaOutput>(new AlsaOutput(pcm, format, rate));
    }
    ~AlsaOutput() override {
        std::lock_guard lock(m_lock);
        snd_pcm_close(m_pcm);
    }

    size_t Write(const BYTE* frames, size_t frameCount, const std::function<bool()>& aborted) override {
        size_t done = 0;
        while (done < frameCount && !aborted()) {
            snd_pcm_sframes_t n;
            {
                std::lock_guard lock(m_lock);
                n = snd_pcm_writei(m_pcm, frames + done * m_format.blockAlign, frameCount - done);
                if (n == -EPIPE || n == -ESTRPIPE) {
                    Recover(int(n));
                    continue;
                }
                if (n > 0) {
                    done += size_t(n);
                    m_written += uint64_t(n);
                    continue;
                }
                if (n != -EAGAIN) return done;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
        return done;
    }
    void Drain(const std::function<bool()>& aborted) override {
        while (!aborted()) {
            {
                std::lock_guard lock(m_lock);
                snd_pcm_sframes_t delay = 0;
                if (snd_pcm_delay(m_pcm, &delay) < 0 || delay <= 0) return;
            }
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    void Discard() override {
        std::lock_guard lock(m_lock);
        snd_pcm_drop(m_pcm);
        snd_pcm_prepare(m_pcm);
        m_written = 0;
        ++m_epoch;
    }
    std::optional<PlayedPosition> PlayedTime() override {
        std::lock_guard lock(m_lock);
        snd_pcm_sframes_t delay = 0;
        if (snd_pcm_state(m_pcm) != SND_PCM_STATE_RUNNING || snd_pcm_delay(m_pcm, &delay) < 0 || delay <= 0)
            return std::nullopt;
        uint64_t played = m_written > uint64_t(delay) ? m_written - uint64_t(delay) : 0;
        return PlayedPosition{m_epoch, FramesToTime(played, m_rate)};
    }
    bool IsDevice() const override { return true; }

private:
    AlsaOutput(snd_pcm_t* pcm, const PcmFormat& format, DWORD rate) : m_pcm(pcm), m_format(format), m_rate(rate) {}
    void Recover(int error) {  // under m_lock
        snd_pcm_recover(m_pcm, error, 1);
        m_written = 0;
        ++m_epoch;
    }

    std::mutex m_lock;
    snd_pcm_t* m_pcm;
    PcmFormat m_format;
    DWORD m_rate;
    uint64_t m_written = 0;
    uint64_t m_epoch = 0;
};

}  // namespace

std::unique_ptr<AudioOutput> AudioOutput::Open(const PcmFormat& format, DWORD rate) {
    if (auto device = AlsaOutput::Open(format, rate)) return device;
    return std::make_unique<NullOutput>(format, rate);
}

void SetAudioDeviceName(const std::string& name) {
    std::lock_guard lock(g_deviceLock);
    g_deviceName = name;
}

std::string AudioDeviceName() {
    std::lock_guard lock(g_deviceLock);
    return g_deviceName;
}

}  // namespace orvo::filters
