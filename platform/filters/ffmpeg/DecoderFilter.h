#pragma once
// CDecoderFilter: one input pin taking compressed samples and one output pin delivering
// decoded ones, where one input sample may give any number of outputs (decoder delay, frame
// threads, audio frames split over buffers). Flushes, segments and end of stream pass
// downstream, seeking passes upstream.
//
// Threads: Receive, EndOfStream, NewSegment and EndFlush come on the upstream streaming thread
// and run the decoder under m_streamLock; BeginFlush may come on the application's thread while
// a Receive is in progress and only marks the pins flushing. Connection and state calls come on
// the application's thread. m_streamLock is taken inside the filter lock, never around it.
#include <mutex>

#include "platform/graph/BaseFilter.h"
#include "platform/graph/BasePin.h"
#include "platform/graph/PosPassThru.h"

namespace orvo::ffmpeg {

class CDecoderFilter;

class CDecoderInputPin final : public CBaseInputPin {
public:
    CDecoderInputPin(CDecoderFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const graph::MediaType& mediaType) override;

private:
    CDecoderFilter* m_decoder;
};

class CDecoderOutputPin final : public CBaseOutputPin {
public:
    CDecoderOutputPin(CDecoderFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    // Switches the connection to type when the peer accepts it; the next sample carries it.
    HRESULT ChangeMediaType(const graph::MediaType& type);
    // The type change stays pending until a sample carrying it is taken (not dropped by a flush).
    bool TypeChangePending() const { return m_typeChanged.load(); }
    void TypeChangeDelivered() { m_typeChanged = false; }

private:
    CDecoderFilter* m_decoder;
    CPosPassThru m_position;
    std::atomic<bool> m_typeChanged{false};
};

class CDecoderFilter : public CBaseFilter {
public:
    explicit CDecoderFilter(REFCLSID clsid);
    ~CDecoderFilter() override;

    HRESULT STDMETHODCALLTYPE Stop() override;
    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;

    virtual HRESULT CheckInputType(const graph::MediaType& input) = 0;
    // Opens the decoder for a new input type (on connection, or a type change on a sample).
    virtual HRESULT OpenDecoder(const graph::MediaType& input) = 0;
    virtual HRESULT GetOutputType(int position, graph::MediaType& type) = 0;
    virtual HRESULT CheckOutputType(const graph::MediaType& type) = 0;
    virtual void SetOutputType(const graph::MediaType& type) = 0;
    virtual LONG OutputBufferSize() = 0;
    // Streaming thread, m_streamLock held: decode the sample and deliver what comes out.
    virtual HRESULT Decode(IMediaSample* sample) = 0;
    // Streaming thread, m_streamLock held: deliver what the decoder still holds, then reset it.
    virtual void Drain() = 0;
    // Drops what the decoder holds (a flush).
    virtual void Discard() = 0;

    CDecoderInputPin* InputPin() { return &m_input; }
    CDecoderOutputPin* OutputPin() { return &m_output; }

protected:
    friend class CDecoderInputPin;
    // Gets a buffer, lets fill write it (returning the bytes written), stamps and delivers it.
    template <class Fill>
    HRESULT DeliverSample(REFERENCE_TIME start, REFERENCE_TIME stop, bool timed, Fill fill);

    CDecoderInputPin m_input;
    CDecoderOutputPin m_output;
    std::mutex m_streamLock;
};

template <class Fill>
HRESULT CDecoderFilter::DeliverSample(REFERENCE_TIME start, REFERENCE_TIME stop, bool timed, Fill fill) {
    if (!m_output.IsConnected()) return S_OK;
    ComPtr<IMediaSample> sample;
    HRESULT hr = m_output.GetDeliveryBuffer(sample.Put(), nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* buffer = nullptr;
    if (FAILED(hr = sample->GetPointer(&buffer))) return hr;
    LONG written = 0;
    if (FAILED(hr = fill(buffer, sample->GetSize(), written))) return hr;
    sample->SetActualDataLength(written);
    if (timed) sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    const bool carriesType = m_output.TypeChangePending();
    if (carriesType) {
        graph::MediaType type = m_output.CurrentMediaType();
        sample->SetMediaType(&type);
    }
    hr = m_output.Deliver(sample.Get());
    if (hr == S_OK && carriesType) m_output.TypeChangeDelivered();
    return hr;
}

}  // namespace orvo::ffmpeg
