#pragma once
// COutputQueue: a thread of its own that delivers samples and stream calls through an output
// pin, so that one blocked branch (a paused renderer holding its sample) does not hold up the
// others fed by the same upstream thread. Flushes pass at once and discard what is queued.
//
// Threads: the upstream streaming thread queues; the queue's thread delivers.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/graph/BasePin.h"

class COutputQueue {
public:
    explicit COutputQueue(CBaseOutputPin* pin);
    ~COutputQueue();  // discards what is queued and waits for the delivery in progress
    COutputQueue(const COutputQueue&) = delete;
    COutputQueue& operator=(const COutputQueue&) = delete;

    void Receive(IMediaSample* sample);
    void EndOfStream();
    void NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
    void BeginFlush();
    void EndFlush();

private:
    struct Item {
        enum Kind { Sample, EndOfStream, Segment } kind = Sample;
        ComPtr<IMediaSample> sample;
        REFERENCE_TIME start = 0, stop = 0;
        double rate = 1.0;
    };
    void Push(Item item);
    void Loop();

    CBaseOutputPin* m_pin;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    bool m_flushing = false;
    bool m_delivering = false;
    bool m_exit = false;
    std::thread m_thread;
};
