#pragma once
// The channel registry: a list of records, newest first, and the lock that guards it.
// Handles run from 132457 upward and are never given out twice in a process. Records the
// caller never frees stay until the process ends: at exit the platform beneath may be gone.
#include <cstdint>
#include <memory>
#include <mutex>

#include "engine/api/Channel.h"

namespace orvo::engine {

class ChannelRegistry {
public:
    // Takes ownership and returns the new handle.
    uint32_t Register(std::unique_ptr<CChannel> channel);
    // Unlinks the record with this handle and hands it back; nullptr when not registered.
    std::unique_ptr<CChannel> Unregister(uint32_t handle);
    // The record with this handle, or nullptr (at once when the library is not
    // initialised). The caller must not free a channel another call is still using.
    CChannel* Lookup(uint32_t handle);

private:
    std::mutex m_lock;
    CChannel* m_head = nullptr;
    uint32_t m_lastHandle = 132456;
};

ChannelRegistry& Channels();

}  // namespace orvo::engine
