#pragma once
// CBaseReferenceClock: IReferenceClock over a time source that derived clocks provide,
// with one advise thread that signals events and semaphores when their time comes.
// CSystemClock: the monotonic system time.
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include "platform/graph/Event.h"
#include "platform/graph/Interfaces.h"

namespace orvo::graph {

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr REFERENCE_TIME kUnitsPerMillisecond = 10'000;

// The monotonic system time in 100-ns units.
REFERENCE_TIME MonotonicTime();

}  // namespace orvo::graph

class CBaseReferenceClock : public IReferenceClock, public CUnknown {
public:
    CBaseReferenceClock();
    ~CBaseReferenceClock() override;
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    // Never goes back: S_FALSE when the time source has not moved on since the last call.
    HRESULT STDMETHODCALLTYPE GetTime(REFERENCE_TIME* time) override;
    HRESULT STDMETHODCALLTYPE AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HEVENT event,
                                         DWORD_PTR* adviseCookie) override;
    HRESULT STDMETHODCALLTYPE AdvisePeriodic(REFERENCE_TIME startTime, REFERENCE_TIME periodTime,
                                             HSEMAPHORE semaphore, DWORD_PTR* adviseCookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD_PTR adviseCookie) override;

protected:
    IUnknown* PrimaryUnknown() override { return static_cast<IReferenceClock*>(this); }
    // The clock's own time; called from any thread, under the clock's time lock.
    virtual REFERENCE_TIME GetPrivateTime() = 0;
    // Stops the advise thread; derived destructors call it before their time source goes.
    void StopAdviseThread();

private:
    struct Advice {
        HEVENT event = nullptr;
        HSEMAPHORE semaphore = nullptr;
        REFERENCE_TIME period = 0;
    };
    HRESULT AddAdvice(REFERENCE_TIME due, Advice advice, DWORD_PTR* cookie);
    void AdviseLoop();
    REFERENCE_TIME Now();

    std::mutex m_timeLock;
    REFERENCE_TIME m_lastTime = 0;

    std::mutex m_adviseLock;  // taken before m_timeLock, never the other way
    std::condition_variable m_adviseChanged;
    std::multimap<REFERENCE_TIME, DWORD_PTR> m_due;
    std::map<DWORD_PTR, std::pair<REFERENCE_TIME, Advice>> m_advices;
    DWORD_PTR m_nextCookie = 1;
    bool m_exit = false;
    std::thread m_thread;
};

class CSystemClock final : public CBaseReferenceClock {
public:
    ~CSystemClock() override { StopAdviseThread(); }
    static HRESULT Create(REFIID riid, void** object);

protected:
    REFERENCE_TIME GetPrivateTime() override { return orvo::graph::MonotonicTime(); }
};
