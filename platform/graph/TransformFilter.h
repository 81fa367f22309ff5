#pragma once
// CTransformFilter: one input and one output pin; each input sample is transformed into a
// buffer of the output's allocator and delivered, on the upstream streaming thread. Flushes,
// segments and end of stream pass downstream; seeking passes upstream.
#include <mutex>

#include "platform/graph/BasePin.h"
#include "platform/graph/PosPassThru.h"

class CTransformFilter;

class CTransformInputPin final : public CBaseInputPin {
public:
    CTransformInputPin(CTransformFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT CheckMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT BreakConnect() override;

private:
    CTransformFilter* m_transform;
};

class CTransformOutputPin final : public CBaseOutputPin {
public:
    CTransformOutputPin(CTransformFilter* filter, const char16_t* name);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CheckMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, orvo::graph::MediaType& mediaType) override;
    HRESULT SetMediaType(const orvo::graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

private:
    CTransformFilter* m_transform;
    CPosPassThru m_position;
};

class CTransformFilter : public CBaseFilter {
public:
    explicit CTransformFilter(REFCLSID clsid);
    ~CTransformFilter() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int index) override;

    virtual HRESULT CheckInputType(const orvo::graph::MediaType& input) = 0;
    virtual HRESULT CheckTransform(const orvo::graph::MediaType& input, const orvo::graph::MediaType& output) = 0;
    // Output types offered once the input is connected.
    virtual HRESULT GetMediaType(int position, orvo::graph::MediaType& mediaType) = 0;
    virtual HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) = 0;
    // Fills out from in; times and flags are already copied. S_FALSE drops the sample.
    virtual HRESULT Transform(IMediaSample* in, IMediaSample* out) = 0;
    virtual HRESULT SetMediaType(PIN_DIRECTION direction, const orvo::graph::MediaType& mediaType) { return S_OK; }
    virtual HRESULT BreakConnect(PIN_DIRECTION direction) { return S_OK; }

    CTransformInputPin* InputPin() { return &m_input; }
    CTransformOutputPin* OutputPin() { return &m_output; }

protected:
    friend class CTransformInputPin;
    HRESULT Receive(IMediaSample* sample);
    // Waits for the sample in flight: the pins are inactive, so its delivery fails.
    HRESULT OnStopStreaming() override;
    // End of stream, flushes and segments pass downstream.
    HRESULT InputEndOfStream(CBaseInputPin* pin) override;
    HRESULT InputBeginFlush(CBaseInputPin*) override { return m_output.DeliverBeginFlush(); }
    HRESULT InputEndFlush(CBaseInputPin*) override { return m_output.DeliverEndFlush(); }
    HRESULT InputNewSegment(CBaseInputPin*, REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override {
        return m_output.DeliverNewSegment(start, stop, rate);
    }

    CTransformInputPin m_input;
    CTransformOutputPin m_output;
    std::mutex m_receiveLock;  // held by Receive; Stop takes it to wait for the sample in flight
};
