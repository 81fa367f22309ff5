#pragma once
// The channel registry: a list of records, newest first, and the lock that guards it.
// Handles run from 132457 upward and are never given out twice in a process. Records the
// caller never frees stay until the process ends: at exit the platform beneath may be gone.
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>

#include "engine/channel/Channel.h"

namespace orvo::engine {

class ChannelRegistry {
public:
    // Takes a share of the record and returns the new handle.
    uint32_t Register(std::shared_ptr<CChannel> channel);
    // Unlinks the record with this handle and hands back the registry's share; nullptr when
    // not registered.
    std::shared_ptr<CChannel> Unregister(uint32_t handle);
    // A share of the record with this handle, or nullptr (at once when the library is not
    // initialised). The record outlives its unregistering for as long as the share is held.
    std::shared_ptr<CChannel> Lookup(uint32_t handle);

private:
    std::mutex m_lock;  // guards the list only; never held while a channel is used
    std::list<std::shared_ptr<CChannel>> m_channels;  // newest first
    uint32_t m_lastHandle = 132456;
};

ChannelRegistry& Channels();

// One export call on a channel: holds a share of the record and its call lock for the
// call's length. Empty when the handle is 0, not registered, or freed meanwhile.
class ChannelCall {
public:
    explicit ChannelCall(uint32_t handle);
    explicit operator bool() const { return m_channel != nullptr; }
    CChannel* operator->() const { return m_channel.get(); }
    CChannel& operator*() const { return *m_channel; }

private:
    std::shared_ptr<CChannel> m_channel;
    std::unique_lock<std::recursive_mutex> m_lock;
};

}  // namespace orvo::engine
