#include "platform/filters/capture/CaptureClock.h"

namespace orvo::capture {

bool CaptureClock::StreamTime(REFERENCE_TIME* now) const {
    REFERENCE_TIME clockTime = 0;
    if (!m_clock || FAILED(m_clock->GetTime(&clockTime))) return false;
    *now = clockTime - m_start.load();
    return true;
}

}  // namespace orvo::capture
