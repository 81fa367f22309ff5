#pragma once
// CDecoderFilter: one input pin taking compressed samples and one output pin delivering
// decoded ones, where one input sample may give any number of outputs (decoder delay, frame
// threads, audio frames split over buffers). The base opens the FFmpeg decoder for the input
// type, sends it each sample, takes every frame it gives and drains it at the end of the
// stream; the audio and video filters say only which streams they take and how a decoded
// frame becomes output samples. Flushes, segments and end of stream pass downstream, seeking
// passes upstream.
//
// Threads: Receive, EndOfStream, NewSegment and EndFlush come on the upstream streaming thread
// and run the decoder under m_streamLock; BeginFlush may come on the application's thread while
// a Receive is in progress and only marks the pins flushing. Connection and state calls come on
// the application's thread. m_streamLock is taken inside the filter lock, never around it.
// The renderer's quality notifications come on the downstream streaming thread and only
// store how late frames are.
#include <atomic>
#include <memory>
#include <mutex>

#include "platform/filters/ffmpeg/Decoder.h"
#include "platform/graph/BaseFilter.h"
#include "platform/graph/BasePin.h"
#include "platform/graph/PosPassThru.h"

namespace orvo::ffmpeg {

class CDecoderFilter;

class CDecoderInputPin final : public CBaseInputPin {
public:
    CDecoderInputPin(CDecoderFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const graph::MediaType& mediaType) override;

private:
    CDecoderFilter* m_decoder;
};

class CDecoderOutputPin final : public CBaseOutputPin, public IQualityControl {
public:
    CDecoderOutputPin(CDecoderFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return CBasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CBasePin::Release(); }
    // The renderer tells how late its frames are; the decoder skips frames while they are late.
    HRESULT STDMETHODCALLTYPE Notify(IBaseFilter* self, Quality quality) override;
    HRESULT STDMETHODCALLTYPE SetSink(IQualityControl*) override { return E_NOTIMPL; }
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
    // Takes streams of one major type that a decoder of the codec set decodes.
    CDecoderFilter(REFCLSID clsid, CodecSet codecs, const GUID& majorType);
    ~CDecoderFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;

    HRESULT CheckInputType(const graph::MediaType& input);
    // Opens the decoder for a new input type (on connection, or a type change on a sample).
    HRESULT OpenDecoder(const graph::MediaType& input);
    virtual HRESULT GetOutputType(int position, graph::MediaType& type) = 0;
    virtual HRESULT CheckOutputType(const graph::MediaType& type) = 0;
    virtual void SetOutputType(const graph::MediaType& type) = 0;
    virtual LONG OutputBufferSize() = 0;
    // Streaming thread, m_streamLock held: decode the sample and deliver what comes out.
    HRESULT Decode(IMediaSample* sample);
    // Streaming thread, m_streamLock held: deliver what the decoder still holds, then reset it.
    void Drain();
    // Drops what the decoder holds (a flush).
    void Discard();
    // How late the renderer's last due frame was (100-ns units; negative: early).
    void OnLateness(REFERENCE_TIME late) { m_lateness.store(late, std::memory_order_relaxed); }

    // Frames more than this late start skipping; skipping stops once they are on time.
    static constexpr REFERENCE_TIME kSkipLateness = 100 * 10'000;

    CDecoderInputPin* InputPin() { return &m_input; }
    CDecoderOutputPin* OutputPin() { return &m_output; }

protected:
    friend class CDecoderInputPin;
    // The pins are inactive: a Receive still running fails its next delivery and returns;
    // then what the decoder holds is dropped.
    HRESULT OnStopStreaming() override;
    // End of stream drains the decoder; a flush drops what it holds; all pass downstream.
    HRESULT InputEndOfStream(CBaseInputPin* pin) override;
    HRESULT InputBeginFlush(CBaseInputPin* pin) override;
    HRESULT InputEndFlush(CBaseInputPin* pin) override;
    HRESULT InputNewSegment(CBaseInputPin* pin, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    // The decoder for input is open: takes the stream's shape from it, or refuses the type.
    virtual HRESULT OnDecoderOpened(const Decoder& decoder, const graph::MediaType& input) = 0;
    // Whether every packet decodes on its own (audio), or only those marked as sync points.
    virtual bool EveryPacketIsKey() const = 0;
    // Whether frames may be skipped when the renderer reports them late (video, not sound).
    virtual bool SkipsWhenLate() const { return false; }
    // Streaming thread: turns one decoded frame into output samples. S_FALSE ends the
    // delivery of this sample's frames without an error.
    virtual HRESULT DeliverFrame(const AVFrame& frame) = 0;
    // After a flush or stop: forgets timing carried from frame to frame.
    virtual void OnDiscard() {}
    // Streaming thread, at the end of the stream once the decoder has given its last frame:
    // delivers what the filter itself still holds.
    virtual void OnDrained() {}
    // Gets a buffer, lets fill write it (returning the bytes written), stamps and delivers it.
    template <class Fill>
    HRESULT DeliverSample(REFERENCE_TIME start, REFERENCE_TIME stop, bool timed, Fill fill);

    std::unique_ptr<Decoder> m_decoder;
    CDecoderInputPin m_input;
    CDecoderOutputPin m_output;
    std::mutex m_streamLock;

private:
    HRESULT DeliverFrames();
    // Streaming thread: turns skipping on or off from the latest lateness.
    void UpdateSkipping();
    void StopSkipping();

    CodecSet m_codecs;
    GUID m_majorType;
    AVFrame* m_frame;
    std::atomic<REFERENCE_TIME> m_lateness{0};
    bool m_skipping = false;  // streaming thread
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
