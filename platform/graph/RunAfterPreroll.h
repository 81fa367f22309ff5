#pragma once
// Waiting for a paused graph's renderers to hold their first samples (preroll), so that the
// clock starts only once the picture and the sound at the new position are ready: once on the
// caller's thread, or, for a seek that must not block its caller while the decoders work
// towards the target, on a thread of its own that then starts the run.
//
// Threads: WaitForPreroll runs on the caller's thread and takes no lock of its own.
// CRunAfterPreroll's thread waits with no lock held and then calls the start function, which
// takes the graph lock; nothing may therefore wait for that thread with the graph lock held,
// and Shutdown is called without it, after the filters have stopped (which ends a wait).
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/Interfaces.h"

namespace orvo::graph {

using FilterList = std::vector<ComPtr<IBaseFilter>>;

// Waits until every filter has completed its pause, budget in all for the lot (renderers
// preroll side by side on their streaming threads, so each wait takes what is left of it);
// returns at once when a filter cannot cue (a live source), since its renderers wait for
// nothing.
void WaitForPreroll(const FilterList& filters, std::chrono::milliseconds budget);

// Whether every filter has completed its pause already (or one cannot cue).
bool IsPrerolled(const FilterList& filters);

}  // namespace orvo::graph

class CRunAfterPreroll {
public:
    // Called on the waiting thread with the ticket of the request that prerolled (or whose
    // budget ran out); the caller decides whether that request still stands.
    using Start = std::function<void(uint64_t ticket)>;
    explicit CRunAfterPreroll(Start start);
    ~CRunAfterPreroll();
    CRunAfterPreroll(const CRunAfterPreroll&) = delete;
    CRunAfterPreroll& operator=(const CRunAfterPreroll&) = delete;

    // Asks for start once filters have prerolled; a request not yet taken up is replaced.
    // Returns the request's ticket. The thread starts with the first request.
    uint64_t Request(orvo::graph::FilterList filters, std::chrono::milliseconds budget);
    // Ends the thread; requests after it are never started.
    void Shutdown();

private:
    void WaitingThread();

    const Start m_start;
    std::mutex m_lock;  // innermost: the request
    std::condition_variable m_requested;
    orvo::graph::FilterList m_filters;
    std::chrono::milliseconds m_budget{0};
    uint64_t m_ticket = 0;
    bool m_pending = false;
    bool m_quit = false;
    std::thread m_thread;
};
