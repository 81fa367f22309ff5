#include "engine/channel/ChannelRegistry.h"

#include "engine/channel/LibraryState.h"

namespace orvo::engine {

uint32_t ChannelRegistry::Register(std::shared_ptr<CChannel> channel) {
    std::lock_guard lock(m_lock);
    if (++m_lastHandle == 0) ++m_lastHandle;  // 0 never names a channel, even after wrapping
    channel->handle = m_lastHandle;
    m_channels.push_front(std::move(channel));
    return m_lastHandle;
}

std::shared_ptr<CChannel> ChannelRegistry::Unregister(uint32_t handle) {
    std::lock_guard lock(m_lock);
    for (auto it = m_channels.begin(); it != m_channels.end(); ++it) {
        if ((*it)->handle != handle) continue;
        std::shared_ptr<CChannel> found = std::move(*it);
        m_channels.erase(it);
        return found;
    }
    return nullptr;
}

std::shared_ptr<CChannel> ChannelRegistry::Lookup(uint32_t handle) {
    if (!Library().initialized) return nullptr;
    std::lock_guard lock(m_lock);
    for (const auto& c : m_channels)
        if (c->handle == handle) return c;
    return nullptr;
}

ChannelRegistry& Channels() {
    // Never destroyed: records the caller never freed must not be torn down at exit, when
    // the platform beneath may be gone.
    static ChannelRegistry* registry = new ChannelRegistry;
    return *registry;
}

ChannelCall::ChannelCall(uint32_t handle) {
    if (!handle) return;
    std::shared_ptr<CChannel> channel = Channels().Lookup(handle);
    if (!channel) return;
    std::unique_lock lock(channel->callLock);
    if (channel->closed) return;  // freed while this call waited for the lock
    m_channel = std::move(channel);
    m_lock = std::move(lock);
}

}  // namespace orvo::engine
