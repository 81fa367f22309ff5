#include "tests/ffmpeg/SinkFilter.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orvo::test {

const GUID kSinkClsid = MakeGuid("{0E2C4A61-77B3-4F0B-9D1E-5A8C3B2F6D40}");

CSinkPin::CSinkPin(CSinkFilter* filter) : CBaseInputPin(filter, u"In"), m_sink(filter) {}

HRESULT CSinkPin::CheckMediaType(const graph::MediaType& mediaType) {
    return m_sink->m_accept(mediaType) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CSinkPin::Receive(IMediaSample* sample) {
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    ReceivedSample received;
    received.timed = SUCCEEDED(sample->GetTime(&received.start, &received.stop));
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    received.data.assign(data, data + sample->GetActualDataLength());
    received.type = CurrentMediaType();
    ComPtr<IQualityControl> upstream;
    if (GetConnected() && SUCCEEDED(GetConnected()->QueryInterface(IID_IQualityControl, upstream.PutVoid())))
        upstream->Notify(m_sink, Quality{Famine, 1000, m_sink->m_lateness.load(), received.start});
    std::lock_guard lock(m_sink->m_lock);
    received.segment = m_sink->m_segments;
    m_sink->m_samples.push_back(std::move(received));
    return S_OK;
}

HRESULT CSinkPin::EndOfStream() {
    std::lock_guard lock(m_sink->m_lock);
    m_sink->m_end = true;
    m_sink->m_ended.notify_all();
    return S_OK;
}

HRESULT CSinkPin::BeginFlush() {
    {
        // What came before a flush, its end of stream included, is void.
        std::lock_guard lock(m_sink->m_lock);
        ++m_sink->m_flushes;
        m_sink->m_samples.clear();
        m_sink->m_end = false;
    }
    return CBaseInputPin::BeginFlush();
}

HRESULT CSinkPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    std::lock_guard lock(m_sink->m_lock);
    ++m_sink->m_segments;
    m_sink->m_segmentStart = start;
    return CBaseInputPin::NewSegment(start, stop, rate);
}

CSinkFilter::CSinkFilter(Accept accept) : CBaseFilter(kSinkClsid), m_accept(std::move(accept)), m_pin(this) {}

bool CSinkFilter::WaitForEnd(int milliseconds) {
    std::unique_lock lock(m_lock);
    return m_ended.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return m_end; });
}

std::vector<ReceivedSample> CSinkFilter::Samples() {
    std::lock_guard lock(m_lock);
    return m_samples;
}

void CSinkFilter::Clear() {
    std::lock_guard lock(m_lock);
    m_samples.clear();
    m_end = false;
}

int CSinkFilter::Flushes() {
    std::lock_guard lock(m_lock);
    return m_flushes;
}

REFERENCE_TIME CSinkFilter::LastSegmentStart() {
    std::lock_guard lock(m_lock);
    return m_segmentStart;
}

ComPtr<IPin> PinAt(IBaseFilter* filter, int index) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Put()))) return {};
    pins->Skip(ULONG(index));
    ComPtr<IPin> pin;
    pins->Next(1, pin.Put(), nullptr);
    return pin;
}

std::vector<float> LeftChannel(const std::vector<ReceivedSample>& samples, int channels) {
    std::vector<float> left;
    for (const ReceivedSample& sample : samples) {
        const auto* values = reinterpret_cast<const float*>(sample.data.data());
        for (size_t i = 0; i + 1 <= sample.data.size() / (4 * size_t(channels)); ++i)
            left.push_back(values[i * size_t(channels)]);
    }
    return left;
}

void ConnectPins(IPin* out, IPin* in) {
    ASSERT_NE(out, nullptr);
    ASSERT_NE(in, nullptr);
    ASSERT_EQ(out->Connect(in, nullptr), S_OK);
}

void RunFilters(std::initializer_list<IBaseFilter*> filters) {
    for (IBaseFilter* filter : filters) ASSERT_TRUE(SUCCEEDED(filter->Pause()));
    for (IBaseFilter* filter : filters) ASSERT_TRUE(SUCCEEDED(filter->Run(0)));
}

void StopFilters(std::initializer_list<IBaseFilter*> filters) {
    for (IBaseFilter* filter : filters) filter->Stop();
}

void DisconnectFilters(std::initializer_list<IBaseFilter*> filters) {
    for (IBaseFilter* filter : filters) {
        ComPtr<IEnumPins> pins;
        if (!filter || FAILED(filter->EnumPins(pins.Put()))) continue;
        for (ComPtr<IPin> pin; pins->Next(1, pin.Put(), nullptr) == S_OK;) pin->Disconnect();
    }
}

}  // namespace orvo::test
