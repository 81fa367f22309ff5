// The base filter's state machine: the order in which it calls a filter's hooks, what a
// failing start undoes, and the pause answer of a filter that has not prerolled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/ComPtr.h"
#include "platform/graph/BaseFilter.h"

namespace orvo::test {
namespace {

constexpr GUID kHookRecorderClsid = MakeGuid("{3F1C2B7A-6D1E-4C55-9A0B-2E7D4F8A1C63}");

const char* Letter(FILTER_STATE s) { return s == State_Stopped ? "S" : s == State_Paused ? "P" : "R"; }

// A filter without pins that writes down every hook call, with the state it saw.
class HookRecorder final : public CBaseFilter {
public:
    HookRecorder() : CBaseFilter(kHookRecorderClsid) {}
    int GetPinCount() override { return 0; }
    CBasePin* GetPin(int) override { return nullptr; }

    std::vector<std::string> calls;
    HRESULT startResult = S_OK;
    bool prerolled = true;

protected:
    HRESULT OnStartStreaming() override {
        calls.push_back(std::string("start in ") + Letter(State()));
        return startResult;
    }
    HRESULT OnStopStreaming() override {
        calls.push_back(std::string("stop in ") + Letter(State()));
        return S_OK;
    }
    void OnStateChanged(FILTER_STATE previous) override {
        calls.push_back(std::string(Letter(previous)) + ">" + Letter(State()));
    }
    bool IsPrerolled() override { return prerolled; }
};

enum class Step { Pause, Run, Stop };

TEST(BaseFilter, StateChangesCallTheHooksInOrder) {
    struct Case {
        const char* name;
        HRESULT startResult;
        bool prerolled;
        std::vector<Step> before;  // unrecorded
        Step step;
        HRESULT result;
        FILTER_STATE after;
        std::vector<std::string> calls;
    } cases[] = {
        {"pause from stopped", S_OK, true, {}, Step::Pause, S_OK, State_Paused, {"S>P", "start in P"}},
        {"run from stopped pauses first", S_OK, true, {}, Step::Run, S_OK, State_Running,
         {"S>P", "start in P", "P>R"}},
        {"pause from running", S_OK, true, {Step::Run}, Step::Pause, S_OK, State_Paused, {"R>P"}},
        {"stop from running", S_OK, true, {Step::Run}, Step::Stop, S_OK, State_Stopped, {"R>S", "stop in S"}},
        {"stop while stopped does nothing", S_OK, true, {}, Step::Stop, S_OK, State_Stopped, {}},
        {"pause without preroll", S_OK, false, {}, Step::Pause, S_FALSE, State_Paused, {"S>P", "start in P"}},
        {"pause again without preroll", S_OK, false, {Step::Pause}, Step::Pause, S_FALSE, State_Paused, {"P>P"}},
        {"a failed start is undone", E_FAIL, true, {}, Step::Pause, E_FAIL, State_Stopped,
         {"S>P", "start in P", "P>S"}},
        {"a failed start fails the run", E_OUTOFMEMORY, true, {}, Step::Run, E_OUTOFMEMORY, State_Stopped,
         {"S>P", "start in P", "P>S"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<HookRecorder> filter(new HookRecorder);
        filter->prerolled = c.prerolled;
        auto apply = [&](Step s) {
            return s == Step::Pause ? filter->Pause() : s == Step::Run ? filter->Run(0) : filter->Stop();
        };
        for (Step s : c.before) ASSERT_GE(apply(s), 0);
        filter->calls.clear();
        filter->startResult = c.startResult;
        EXPECT_EQ(apply(c.step), c.result);
        EXPECT_EQ(filter->State(), c.after);
        EXPECT_EQ(filter->calls, c.calls);
        filter->Stop();
    }
}

}  // namespace
}  // namespace orvo::test
