#pragma once
// A renderer stand-in for filter tests: one input pin that takes the types a predicate allows
// and records every sample, type change, flush, segment and end of stream it receives. Built
// on the same base classes as the filters under test; it never waits, there is no clock.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/graph/BaseFilter.h"
#include "platform/graph/BasePin.h"

namespace orvo::test {

struct ReceivedSample {
    REFERENCE_TIME start = 0, stop = 0;
    bool timed = false;
    std::vector<uint8_t> data;
    graph::MediaType type;  // the connection's type when the sample came
    int segment = 0;        // segments seen before it
};

class CSinkFilter;

class CSinkPin final : public CBaseInputPin {
public:
    CSinkPin(CSinkFilter* filter);
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

private:
    CSinkFilter* m_sink;
};

class CSinkFilter final : public CBaseFilter {
public:
    using Accept = std::function<bool(const graph::MediaType&)>;
    explicit CSinkFilter(Accept accept);
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int index) override { return index == 0 ? &m_pin : nullptr; }
    CSinkPin* Pin() { return &m_pin; }

    // Waits up to the timeout for the end of the stream. A flush forgets the samples and the end.
    bool WaitForEnd(int milliseconds = 20000);
    std::vector<ReceivedSample> Samples();
    // Forgets what came so far and the end of the stream.
    void Clear();
    int Flushes();
    REFERENCE_TIME LastSegmentStart();
    // From now on each sample is reported upstream (IQualityControl) as this late, as a
    // renderer that falls behind (or keeps up) would report it.
    void ReportLateness(REFERENCE_TIME late) { m_lateness = late; }

private:
    friend class CSinkPin;
    Accept m_accept;
    CSinkPin m_pin;
    std::mutex m_lock;
    std::condition_variable m_ended;
    std::vector<ReceivedSample> m_samples;
    bool m_end = false;
    int m_flushes = 0, m_segments = 0;
    REFERENCE_TIME m_segmentStart = 0;
    std::atomic<REFERENCE_TIME> m_lateness{0};
};

// The filter's pin at index in its enumeration order, or null.
ComPtr<IPin> PinAt(IBaseFilter* filter, int index);
// The first channel of interleaved 32-bit float samples.
std::vector<float> LeftChannel(const std::vector<ReceivedSample>& samples, int channels);

// Connects out to in directly and fails the test when they do not connect.
void ConnectPins(IPin* out, IPin* in);
// Pauses, then runs, the filters in the order given (downstream first).
void RunFilters(std::initializer_list<IBaseFilter*> filters);
void StopFilters(std::initializer_list<IBaseFilter*> filters);
// Breaks every connection of the filters, as a graph does when it lets them go: connected pins
// hold each other's filters.
void DisconnectFilters(std::initializer_list<IBaseFilter*> filters);

}  // namespace orvo::test
