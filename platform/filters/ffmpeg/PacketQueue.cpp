#include "platform/filters/ffmpeg/PacketQueue.h"

namespace orvo::ffmpeg {

bool PacketQueue::Push(QueuedPacket item) {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [&] { return m_aborted || m_items.size() < m_capacity; });
    if (m_aborted) {
        av_packet_free(&item.packet);
        return false;
    }
    m_items.push_back(item);
    m_changed.notify_all();
    return true;
}

bool PacketQueue::Pop(QueuedPacket& item) {
    std::unique_lock lock(m_lock);
    m_changed.wait(lock, [&] { return m_aborted || !m_items.empty(); });
    if (m_aborted) return false;
    item = m_items.front();
    m_items.pop_front();
    m_changed.notify_all();
    return true;
}

void PacketQueue::Abort() {
    std::lock_guard lock(m_lock);
    m_aborted = true;
    m_changed.notify_all();
}

void PacketQueue::Reset() {
    std::lock_guard lock(m_lock);
    ClearLocked();
    m_aborted = false;
}

void PacketQueue::ClearLocked() {
    for (QueuedPacket& item : m_items) av_packet_free(&item.packet);
    m_items.clear();
}

}  // namespace orvo::ffmpeg
