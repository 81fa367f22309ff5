#include "platform/graph/RunAfterPreroll.h"

#include <algorithm>

namespace orvo::graph {
namespace {

bool CannotCue(const FilterList& filters) {
    FILTER_STATE state;
    return std::any_of(filters.begin(), filters.end(),
                       [&](const ComPtr<IBaseFilter>& f) { return f->GetState(0, &state) == VFW_S_CANT_CUE; });
}

}  // namespace

void WaitForPreroll(const FilterList& filters, std::chrono::milliseconds budget) {
    if (CannotCue(filters)) return;
    const auto deadline = std::chrono::steady_clock::now() + budget;
    FILTER_STATE state;
    for (const auto& f : filters) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        f->GetState(DWORD(std::max<int64_t>(0, left.count())), &state);
    }
}

bool IsPrerolled(const FilterList& filters) {
    if (CannotCue(filters)) return true;
    FILTER_STATE state;
    return std::all_of(filters.begin(), filters.end(),
                       [&](const ComPtr<IBaseFilter>& f) { return f->GetState(0, &state) == S_OK; });
}

}  // namespace orvo::graph

CRunAfterPreroll::CRunAfterPreroll(Start start) : m_start(std::move(start)) {}

CRunAfterPreroll::~CRunAfterPreroll() { Shutdown(); }

uint64_t CRunAfterPreroll::Request(orvo::graph::FilterList filters, std::chrono::milliseconds budget) {
    orvo::graph::FilterList replaced;
    std::lock_guard lock(m_lock);
    replaced.swap(m_filters);  // released after the lock
    m_filters = std::move(filters);
    m_budget = budget;
    m_pending = true;
    const uint64_t ticket = ++m_ticket;
    if (!m_thread.joinable() && !m_quit) m_thread = std::thread(&CRunAfterPreroll::WaitingThread, this);
    m_requested.notify_one();
    return ticket;
}

void CRunAfterPreroll::Shutdown() {
    {
        std::lock_guard lock(m_lock);
        m_quit = true;
        m_requested.notify_one();
    }
    if (m_thread.joinable()) m_thread.join();
    std::lock_guard lock(m_lock);
    m_filters.clear();
}

// Waiting thread.
void CRunAfterPreroll::WaitingThread() {
    std::unique_lock lock(m_lock);
    for (;;) {
        m_requested.wait(lock, [this] { return m_pending || m_quit; });
        if (m_quit) return;
        orvo::graph::FilterList filters = std::move(m_filters);
        m_filters.clear();
        const auto budget = m_budget;
        const uint64_t ticket = m_ticket;
        m_pending = false;
        lock.unlock();
        orvo::graph::WaitForPreroll(filters, budget);
        filters.clear();
        m_start(ticket);
        lock.lock();
    }
}
