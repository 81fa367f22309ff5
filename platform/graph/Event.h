#pragma once
// Events and semaphores that clocks signal and streaming threads wait on.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/com/Types.h"

// A signalled/unsignalled flag. An auto-reset event wakes one waiter and clears itself; a
// manual-reset event stays set until Reset.
class CAMEvent {
public:
    explicit CAMEvent(bool manualReset = false) : m_manualReset(manualReset) {}
    CAMEvent(const CAMEvent&) = delete;
    CAMEvent& operator=(const CAMEvent&) = delete;

    void Set();
    void Reset();
    // Waits up to timeoutMs (kInfinite: no limit); true when the event was set.
    bool Wait(DWORD timeoutMs = kInfinite);
    bool Check() { return Wait(0); }

    static constexpr DWORD kInfinite = 0xFFFFFFFF;

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set = false;
    const bool m_manualReset;
};

// A counting semaphore for periodic clock advice.
class CAMSemaphore {
public:
    void Release(LONG count = 1);
    bool Wait(DWORD timeoutMs = CAMEvent::kInfinite);

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    LONG m_count = 0;
};
