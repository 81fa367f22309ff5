#include "platform/graph/Event.h"

namespace {

template <class Predicate>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD timeoutMs, Predicate ready) {
    if (timeoutMs == CAMEvent::kInfinite) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

void CAMEvent::Set() {
    {
        std::lock_guard lock(m_mutex);
        m_set = true;
    }
    if (m_manualReset)
        m_cv.notify_all();
    else
        m_cv.notify_one();
}

void CAMEvent::Reset() {
    std::lock_guard lock(m_mutex);
    m_set = false;
}

bool CAMEvent::Wait(DWORD timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!WaitFor(m_cv, lock, timeoutMs, [this] { return m_set; })) return false;
    if (!m_manualReset) m_set = false;
    return true;
}

void CAMSemaphore::Release(LONG count) {
    {
        std::lock_guard lock(m_mutex);
        m_count += count;
    }
    m_cv.notify_all();
}

bool CAMSemaphore::Wait(DWORD timeoutMs) {
    std::unique_lock lock(m_mutex);
    if (!WaitFor(m_cv, lock, timeoutMs, [this] { return m_count > 0; })) return false;
    --m_count;
    return true;
}
