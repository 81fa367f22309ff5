#pragma once
// The capture clock of a live source's pin: stream time now on the graph clock, read on the
// streaming thread without the filter lock (which a stop holds while it waits for that
// thread). The pin takes the clock when it becomes active and the start time when it runs,
// both under the filter lock.
#include <atomic>

#include "platform/com/ComPtr.h"
#include "platform/graph/BaseFilter.h"

namespace orvo::capture {

class CaptureClock {
public:
    // Application thread, filter lock held, before the streaming thread starts.
    void Activate(CBaseFilter& filter) { m_clock = filter.Clock(); }
    // Application thread, filter lock held, after the streaming thread has ended.
    void Deactivate() { m_clock.Reset(); }
    void Run(REFERENCE_TIME start) { m_start = start; }

    // Streaming thread: the stream time now; false without a clock.
    bool StreamTime(REFERENCE_TIME* now) const;

private:
    ComPtr<IReferenceClock> m_clock;
    std::atomic<REFERENCE_TIME> m_start{0};
};

}  // namespace orvo::capture
