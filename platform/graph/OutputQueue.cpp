#include "platform/graph/OutputQueue.h"

COutputQueue::COutputQueue(CBaseOutputPin* pin) : m_pin(pin), m_thread([this] { Loop(); }) {}

COutputQueue::~COutputQueue() {
    {
        std::lock_guard lock(m_lock);
        m_exit = true;
        m_items.clear();
    }
    m_changed.notify_all();
    m_thread.join();
}

void COutputQueue::Push(Item item) {
    {
        std::lock_guard lock(m_lock);
        if (m_flushing || m_exit) return;
        m_items.push_back(std::move(item));
    }
    m_changed.notify_all();
}

void COutputQueue::Receive(IMediaSample* sample) { Push(Item{Item::Sample, ComPtr<IMediaSample>(sample)}); }

void COutputQueue::EndOfStream() { Push(Item{Item::EndOfStream, nullptr}); }

void COutputQueue::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) {
    Push(Item{Item::Segment, nullptr, start, stop, rate});
}

void COutputQueue::BeginFlush() {
    {
        std::lock_guard lock(m_lock);
        m_flushing = true;
        m_items.clear();
    }
    m_pin->DeliverBeginFlush();  // releases a delivery blocked downstream
}

void COutputQueue::EndFlush() {
    {
        std::unique_lock lock(m_lock);
        m_changed.wait(lock, [this] { return !m_delivering; });
        m_flushing = false;
    }
    m_pin->DeliverEndFlush();
}

void COutputQueue::Loop() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [this] { return m_exit || !m_items.empty(); });
        if (m_exit) return;
        Item item = std::move(m_items.front());
        m_items.pop_front();
        m_delivering = true;
        lock.unlock();
        switch (item.kind) {
            case Item::Sample: m_pin->Deliver(item.sample.Get()); break;
            case Item::EndOfStream: m_pin->DeliverEndOfStream(); break;
            case Item::Segment: m_pin->DeliverNewSegment(item.start, item.stop, item.rate); break;
        }
        item.sample.Reset();
        lock.lock();
        m_delivering = false;
        m_changed.notify_all();
    }
}
