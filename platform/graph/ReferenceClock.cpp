#include "platform/graph/ReferenceClock.h"

#include <chrono>

#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"

namespace orvo::graph {

REFERENCE_TIME MonotonicTime() {
    using namespace std::chrono;
    return duration_cast<duration<REFERENCE_TIME, std::ratio<1, kUnitsPerSecond>>>(steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace orvo::graph

using orvo::graph::kUnitsPerSecond;

CBaseReferenceClock::CBaseReferenceClock() = default;

CBaseReferenceClock::~CBaseReferenceClock() { StopAdviseThread(); }

void CBaseReferenceClock::StopAdviseThread() {
    {
        std::lock_guard lock(m_adviseLock);
        m_exit = true;
    }
    m_adviseChanged.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

HRESULT CBaseReferenceClock::NonDelegatingQueryInterface(REFIID riid, void** object) {
    if (object && riid == IID_IReferenceClock) return GetInterface(static_cast<IReferenceClock*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

REFERENCE_TIME CBaseReferenceClock::Now() {
    std::lock_guard lock(m_timeLock);
    REFERENCE_TIME t = GetPrivateTime();
    if (t > m_lastTime) m_lastTime = t;
    return m_lastTime;
}

HRESULT CBaseReferenceClock::GetTime(REFERENCE_TIME* time) {
    if (!time) return E_POINTER;
    std::lock_guard lock(m_timeLock);
    REFERENCE_TIME t = GetPrivateTime();
    HRESULT hr = S_OK;
    if (t > m_lastTime)
        m_lastTime = t;
    else
        hr = S_FALSE;
    *time = m_lastTime;
    return hr;
}

HRESULT CBaseReferenceClock::AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event,
                                        DWORD_PTR* adviseCookie) {
    if (!adviseCookie) return E_POINTER;
    *adviseCookie = 0;
    if (!event) return E_INVALIDARG;
    if (baseTime < 0 || streamTime < 0 || baseTime + streamTime < baseTime) return E_INVALIDARG;
    return AddAdvice(baseTime + streamTime, Advice{event, nullptr, 0}, adviseCookie);
}

HRESULT CBaseReferenceClock::AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME periodTime,
                                            HSEMAPHORE semaphore, DWORD_PTR* adviseCookie) {
    if (!adviseCookie) return E_POINTER;
    *adviseCookie = 0;
    if (!semaphore || startTime < 0 || periodTime <= 0) return E_INVALIDARG;
    return AddAdvice(startTime, Advice{nullptr, semaphore, periodTime}, adviseCookie);
}

HRESULT CBaseReferenceClock::AddAdvice(REFERENCE_TIME due, Advice advice, DWORD_PTR* cookie) {
    std::lock_guard lock(m_adviseLock);
    if (m_exit) return E_UNEXPECTED;
    DWORD_PTR id = m_nextCookie++;
    m_advices.emplace(id, std::make_pair(due, advice));
    m_due.emplace(due, id);
    *cookie = id;
    if (!m_thread.joinable()) m_thread = std::thread([this] { AdviseLoop(); });
    m_adviseChanged.notify_all();
    return S_OK;
}

HRESULT CBaseReferenceClock::Unadvise(DWORD_PTR adviseCookie) {
    std::lock_guard lock(m_adviseLock);
    auto it = m_advices.find(adviseCookie);
    if (it == m_advices.end()) return S_FALSE;
    auto [first, last] = m_due.equal_range(it->second.first);
    for (auto d = first; d != last; ++d)
        if (d->second == adviseCookie) {
            m_due.erase(d);
            break;
        }
    m_advices.erase(it);
    return S_OK;
}

// Runs on the clock's advise thread. Sleeps until the earliest advice is due, taking the
// clock's rate as the system's; wakes early when advice changes, and checks the clock again.
void CBaseReferenceClock::AdviseLoop() {
    std::unique_lock lock(m_adviseLock);
    while (!m_exit) {
        if (m_due.empty()) {
            m_adviseChanged.wait(lock);
            continue;
        }
        REFERENCE_TIME now = Now();
        auto first = m_due.begin();
        if (first->first > now) {
            auto wait = std::chrono::microseconds((first->first - now) / 10);
            m_adviseChanged.wait_for(lock, wait);
            continue;
        }
        DWORD_PTR id = first->second;
        m_due.erase(first);
        auto it = m_advices.find(id);
        Advice advice = it->second.second;
        if (advice.event) {
            advice.event->Set();
            m_advices.erase(it);
        } else {
            advice.semaphore->Release();
            REFERENCE_TIME next = it->second.first + advice.period;
            it->second.first = next;
            m_due.emplace(next, id);
        }
    }
}

HRESULT CSystemClock::Create(REFIID riid, void** object) { return CreateComObject<CSystemClock>(riid, object); }

static orvo::com::ClassRegistration s_systemClock(CLSID_SystemClock, &CSystemClock::Create);
