#pragma once
// CSourceStream: an output pin with its own streaming thread that fills buffers (FillBuffer)
// and delivers them while the filter is paused or running, and answers IMediaSeeking: a seek
// flushes downstream, stops the thread, and starts it again from the new position with a new
// segment. CSource: a filter made of such pins.
//
// Threads: the pin's thread calls FillBuffer and OnThreadStartPlay; the application's thread
// (through the graph) calls the seeking methods and state changes.
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/graph/BasePin.h"
#include "platform/graph/MediaSeeking.h"

class CSourceStream : public CBaseOutputPin, public CMediaSeeking {
public:
    CSourceStream(CBaseFilter* filter, const char16_t* name);
    ~CSourceStream() override;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return CBasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CBasePin::Release(); }

    HRESULT Active() override;
    HRESULT Inactive() override;

    // S_OK: deliver the sample; S_FALSE: end of stream; a failure stops the stream with an
    // error event.
    virtual HRESULT FillBuffer(IMediaSample* sample) = 0;
    // Called on the streaming thread before the first FillBuffer of a run or after a seek.
    virtual void OnThreadStartPlay() {}

protected:
    // CMediaSeeking: a new start restarts the thread from it; a new stop or rate takes
    // effect from the next start.
    HRESULT SeekingCapabilities(DWORD& capabilities) override;
    HRESULT ReadPositions(Positions& positions) override;
    HRESULT ChangePositions(REFERENCE_TIME current, bool moveCurrent, REFERENCE_TIME stop, bool moveStop) override;
    HRESULT ChangeRate(double rate) override;
    double ReadRate() override { return PlayRate(); }

    void SetDuration(REFERENCE_TIME duration);
    // The segment being played: set by seeks, read by FillBuffer on the streaming thread.
    REFERENCE_TIME SegmentStartPosition();
    REFERENCE_TIME SegmentStopPosition();
    double PlayRate();
    bool StopRequested() const { return m_stopRequested.load(); }

private:
    void StartThread();
    void StopThread();  // flushes downstream so that a blocked delivery returns
    void ThreadProc();

    std::mutex m_seekLock;      // serialises seeks and thread starts and stops
    std::mutex m_positionLock;  // innermost: positions and rate
    REFERENCE_TIME m_duration = 0, m_start = 0, m_stop = 0;
    double m_rate = 1.0;
    std::atomic<bool> m_stopRequested{false};
    std::thread m_thread;
};

class CSource : public CBaseFilter {
public:
    explicit CSource(REFCLSID clsid) : CBaseFilter(clsid) {}
    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

protected:
    void AddStream(std::unique_ptr<CSourceStream> stream);

private:
    std::vector<std::unique_ptr<CSourceStream>> m_streams;
};
