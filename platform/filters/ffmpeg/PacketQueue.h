#pragma once
// A bounded queue of demuxed packets between the splitter's reading thread and one output
// pin's delivery thread. Push waits while the queue is full, Pop while it is empty; Abort
// wakes both and makes them fail until Reset.
#include <condition_variable>
#include <deque>
#include <mutex>

extern "C" {
#include <libavcodec/packet.h>
}

#include "platform/graph/MediaType.h"

namespace orvo::ffmpeg {

struct QueuedPacket {
    AVPacket* packet = nullptr;  // owned; null marks the end of the stream
    REFERENCE_TIME start = 0, stop = 0;
    bool timed = false;
    bool preroll = false;
};

class PacketQueue {
public:
    explicit PacketQueue(size_t capacity) : m_capacity(capacity) {}
    ~PacketQueue() { ClearLocked(); }
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Takes the packet; false (and the packet freed) once aborted.
    bool Push(QueuedPacket item);
    // False once aborted.
    bool Pop(QueuedPacket& item);
    void Abort();
    // Empties the queue and lets it run again.
    void Reset();

private:
    void ClearLocked();  // with m_lock held, or from the destructor

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<QueuedPacket> m_items;
    size_t m_capacity;
    bool m_aborted = false;
};

}  // namespace orvo::ffmpeg
