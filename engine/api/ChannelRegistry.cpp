#include "engine/api/ChannelRegistry.h"

#include "engine/api/LibraryState.h"

namespace orvo::engine {

uint32_t ChannelRegistry::Register(std::unique_ptr<CChannel> channel) {
    std::lock_guard lock(m_lock);
    if (++m_lastHandle == 0) ++m_lastHandle;  // 0 never names a channel, even after wrapping
    channel->handle = m_lastHandle;
    channel->next = m_head;
    m_head = channel.release();
    return m_head->handle;
}

std::unique_ptr<CChannel> ChannelRegistry::Unregister(uint32_t handle) {
    std::lock_guard lock(m_lock);
    for (CChannel** link = &m_head; *link; link = &(*link)->next) {
        if ((*link)->handle != handle) continue;
        CChannel* found = *link;
        *link = found->next;
        found->next = nullptr;
        return std::unique_ptr<CChannel>(found);
    }
    return nullptr;
}

CChannel* ChannelRegistry::Lookup(uint32_t handle) {
    if (!Library().initialized) return nullptr;
    std::lock_guard lock(m_lock);
    for (CChannel* c = m_head; c; c = c->next)
        if (c->handle == handle) return c;
    return nullptr;
}

ChannelRegistry& Channels() {
    static ChannelRegistry registry;
    return registry;
}

}  // namespace orvo::engine
