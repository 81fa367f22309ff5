#pragma once
// CBasePin and its input and output forms: connection and media-type agreement, flushing,
// segments, and (for output pins) the allocator handshake and delivery downstream.
//
// Pins take their reference count from their filter and share its interface lock. Connection
// calls come on the application's thread with the filter stopped; Receive, EndOfStream,
// NewSegment and the flush calls come on the upstream streaming thread.
#include <atomic>
#include <string>

#include "platform/com/ComPtr.h"
#include "platform/graph/BaseFilter.h"
#include "platform/graph/MediaType.h"

class CBasePin : public IPin {
public:
    CBasePin(CBaseFilter* filter, const char16_t* name, PIN_DIRECTION direction);
    virtual ~CBasePin();
    CBasePin(const CBasePin&) = delete;
    CBasePin& operator=(const CBasePin&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mediaType) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    // S_OK accepts the type; anything else refuses it.
    virtual HRESULT CheckMediaType(const orvo::graph::MediaType& mediaType) = 0;
    // The pin's preferred types in order: S_OK, VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT GetMediaType(int position, orvo::graph::MediaType& mediaType);
    virtual HRESULT SetMediaType(const orvo::graph::MediaType& mediaType);
    // Checks the peer before types are tried; CBasePin refuses a pin of the same direction.
    virtual HRESULT CheckConnect(IPin* pin);
    virtual HRESULT CompleteConnect(IPin* receivePin) { return S_OK; }
    virtual HRESULT BreakConnect() { return S_OK; }
    // The filter moves from stopped to paused (Active) or back (Inactive).
    virtual HRESULT Active() { return S_OK; }
    virtual HRESULT Inactive() { return S_OK; }
    virtual HRESULT Run(REFERENCE_TIME start) { return S_OK; }

    bool IsConnected() const { return m_connected.Get() != nullptr; }
    IPin* GetConnected() const { return m_connected.Get(); }
    const orvo::graph::MediaType& CurrentMediaType() const { return m_mediaType; }
    const std::u16string& Name() const { return m_name; }
    bool IsFlushing() const { return m_flushing.load(); }
    CBaseFilter* Filter() const { return m_filter; }
    LONG TypeVersion() const { return m_typeVersion.load(); }
    REFERENCE_TIME SegmentStart() const { return m_segmentStart; }
    REFERENCE_TIME SegmentStop() const { return m_segmentStop; }
    double SegmentRate() const { return m_segmentRate; }

protected:
    HRESULT AttemptConnection(IPin* receivePin, const orvo::graph::MediaType& mediaType);
    HRESULT TryMediaTypes(IPin* receivePin, const AM_MEDIA_TYPE* partial, IEnumMediaTypes* types);
    void IncrementTypeVersion() { ++m_typeVersion; }

    CBaseFilter* m_filter;
    std::recursive_mutex& m_lock;  // the filter's interface lock
    std::u16string m_name;
    PIN_DIRECTION m_direction;
    ComPtr<IPin> m_connected;
    orvo::graph::MediaType m_mediaType;
    std::atomic<bool> m_flushing{false};
    REFERENCE_TIME m_segmentStart = 0, m_segmentStop = 0x7FFFFFFFFFFFFFFF;
    double m_segmentRate = 1.0;

private:
    std::atomic<LONG> m_typeVersion{1};
};

class CBaseOutputPin : public CBasePin {
public:
    CBaseOutputPin(CBaseFilter* filter, const char16_t* name);

    HRESULT STDMETHODCALLTYPE EndOfStream() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_UNEXPECTED; }
    HRESULT STDMETHODCALLTYPE EndFlush() override { return E_UNEXPECTED; }

    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;
    HRESULT Active() override;
    HRESULT Inactive() override;

    // Sets the allocator's buffer count and size; called while connecting.
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;

    HRESULT GetDeliveryBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags);
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    HRESULT DeliverNewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);

protected:
    HRESULT DecideAllocator(IMemInputPin* input);

    ComPtr<IMemAllocator> m_allocator;
    ComPtr<IMemInputPin> m_input;
};

class CBaseInputPin : public CBasePin, public IMemInputPin {
public:
    CBaseInputPin(CBaseFilter* filter, const char16_t* name);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return CBasePin::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CBasePin::Release(); }

    // Note the call and pass it to the filter's Input* hook.
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override;
    HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    // Checks that the pin may take a sample and applies a type change the sample carries;
    // S_FALSE while flushing, VFW_E_WRONG_STATE while stopped. Derived pins call it first.
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_OK; }

    HRESULT BreakConnect() override;
    HRESULT Inactive() override;
    // Checks that a stream call may be made: VFW_E_WRONG_STATE stopped, S_FALSE flushing.
    HRESULT CheckStreaming();

protected:
    ComPtr<IMemAllocator> m_allocator;
    bool m_readOnly = false;
};
