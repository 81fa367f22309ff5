#pragma once
// The Infinite Pin Tee: one input, and as many outputs as are connected plus one free one;
// every sample goes to every connected output, in the input's media type, each output on a
// delivery thread of its own.
#include <memory>
#include <vector>

#include "platform/graph/BasePin.h"
#include "platform/graph/OutputQueue.h"
#include "platform/graph/PosPassThru.h"

namespace orvo::filters {

class CInfTee;

class CTeeInputPin final : public CBaseInputPin {
public:
    CTeeInputPin(CInfTee* tee);
    HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;

private:
    CInfTee* m_tee;
};

class CTeeOutputPin final : public CBaseOutputPin {
public:
    CTeeOutputPin(CInfTee* tee, const char16_t* name);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    HRESULT CheckMediaType(const graph::MediaType& mediaType) override;
    HRESULT GetMediaType(int position, graph::MediaType& mediaType) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT Active() override;
    HRESULT Inactive() override;
    // The queue that delivers on this output while the filter is active.
    COutputQueue* Queue() { return m_queue.get(); }

private:
    CInfTee* m_tee;
    std::unique_ptr<COutputQueue> m_queue;
    CPosPassThru m_position;
};

class CInfTee final : public CBaseFilter {
public:
    CInfTee();
    static HRESULT Create(REFIID riid, void** object);
    int GetPinCount() override;
    CBasePin* GetPin(int index) override;

    CTeeInputPin* InputPin() { return &m_input; }
    // Adds a free output once the last one is connected; under the filter lock.
    void EnsureFreeOutput();
    // Calls each connected output; the first failure, else S_OK.
    template <class Call>
    HRESULT ForEachConnectedOutput(Call call) {
        HRESULT result = S_OK;
        for (auto& pin : m_outputs)
            if (pin->IsConnected()) {
                HRESULT hr = call(pin.get());
                if (FAILED(hr) && SUCCEEDED(result)) result = hr;
            }
        return result;
    }

    // Calls the queue of each active output; streaming thread.
    template <class Call>
    HRESULT ForEachQueue(Call call) {
        std::lock_guard lock(m_queueLock);
        return ForEachConnectedOutput([&](CTeeOutputPin* out) {
            if (COutputQueue* queue = out->Queue()) call(queue);
            return S_OK;
        });
    }

    // Guards the outputs' queues against their replacement by state changes; inside the
    // filter lock.
    std::mutex& QueueLock() { return m_queueLock; }

private:
    std::mutex m_queueLock;
    CTeeInputPin m_input;
    std::vector<std::unique_ptr<CTeeOutputPin>> m_outputs;
};

}  // namespace orvo::filters
