#pragma once
// The audio renderer: plays PCM (8, 16, 24 and 32-bit integer, 32-bit float; any rate and
// channel count) on ALSA, or on the null output when no device opens; applies volume and
// balance as gains; plays faster or slower with the segment's rate; and gives the graph a
// clock that follows the frames actually played.
//
// Threads: the streaming thread renders and drains; volume and balance may change from any
// thread; state changes come on the application's thread.
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/filters/AudioOutput.h"
#include "platform/graph/BaseRenderer.h"
#include "platform/graph/ReferenceClock.h"

namespace orvo::filters {

// The output the renderer plays on, shared with its clock, which outlives it in the graph.
struct OutputSlot {
    std::mutex lock;  // innermost
    std::unique_ptr<AudioOutput> output;
    std::optional<PlayedPosition> PlayedTime();
};

// Runs at the pace of the frames played while sound plays, at the system's pace otherwise.
class CAudioClock final : public CBaseReferenceClock {
public:
    explicit CAudioClock(std::shared_ptr<OutputSlot> slot);
    ~CAudioClock() override { StopAdviseThread(); }

protected:
    REFERENCE_TIME GetPrivateTime() override;

private:
    std::shared_ptr<OutputSlot> m_slot;
    REFERENCE_TIME m_time;
    REFERENCE_TIME m_lastSystem;
    std::optional<PlayedPosition> m_lastPlayed;
};

class CAudioRenderer final : public CBaseRenderer, public IBasicAudio {
public:
    CAudioRenderer();
    ~CAudioRenderer() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    static HRESULT Create(REFIID riid, void** object);

    HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) override;
    HRESULT STDMETHODCALLTYPE get_Volume(LONG* volume) override;
    HRESULT STDMETHODCALLTYPE put_Balance(LONG balance) override;
    HRESULT STDMETHODCALLTYPE get_Balance(LONG* balance) override;

    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetSampleTimes(IMediaSample*, REFERENCE_TIME*, REFERENCE_TIME*) override { return S_FALSE; }
    HRESULT DoRenderSample(IMediaSample* sample) override;
    HRESULT DoRenderSampleUnlocked(IMediaSample* sample) override;
    HRESULT OnStopStreaming() override;
    void OnNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    void OnEndOfStream() override;
    void OnBeginFlush() override;

    // Whether the renderer plays on an ALSA device (false: the null output, or not yet open).
    bool PlaysOnDevice();

private:
    DWORD DeviceRate() const;

    std::shared_ptr<OutputSlot> m_slot = std::make_shared<OutputSlot>();
    ComPtr<IReferenceClock> m_clock;
    std::optional<PcmFormat> m_format;  // under the filter lock
    DWORD m_openRate = 0;               // device rate of the open output, under the filter lock
    std::atomic<LONG> m_volume{0};
    std::atomic<LONG> m_balance{0};
    std::atomic<double> m_rate{1.0};
    // Held while the streaming thread writes or drains, so the output is not closed under it;
    // taken before the renderer lock and the slot lock.
    std::mutex m_writeLock;
    std::vector<BYTE> m_pending;  // the last sample with gains applied; streaming thread only
};

}  // namespace orvo::filters
