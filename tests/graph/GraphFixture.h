#pragma once
// A graph made through the class table on an initialised thread, with the test filters
// registered, and helpers to add filters and find their pins.
#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"
#include "platform/com/Runtime.h"
#include "platform/graph/ClassIds.h"
#include "tests/graph/TestFilters.h"

namespace orvo::test {

template <class T>
ComPtr<T> MakeFilter(T* raw) {
    return ComPtr<T>(raw);
}

class GraphFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), 0);
        ASSERT_EQ(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                   m_graph.PutVoid()),
                  S_OK);
        ASSERT_EQ(m_graph.As(m_control), S_OK);
        ASSERT_EQ(m_graph.As(m_seeking), S_OK);
    }
    void TearDown() override {
        m_control.Reset();
        m_seeking.Reset();
        m_graph.Reset();
        CoUninitialize();
    }

    template <class T>
    ComPtr<T> Add(T* filter, const char16_t* name) {
        ComPtr<T> held(filter);
        EXPECT_GE(m_graph->AddFilter(filter, name), 0);
        return held;
    }

    static ComPtr<IPin> PinOf(IBaseFilter* filter, int index) {
        ComPtr<IEnumPins> pins;
        filter->EnumPins(pins.Put());
        if (index) pins->Skip(ULONG(index));
        IPin* pin = nullptr;
        return pins->Next(1, &pin, nullptr) == S_OK ? ComPtr<IPin>::Attach(pin) : nullptr;
    }

    static bool IsConnected(IPin* pin) {
        ComPtr<IPin> peer;
        return pin->ConnectedTo(peer.Put()) == S_OK;
    }

    std::vector<std::u16string> FilterNames() {
        std::vector<std::u16string> names;
        ComPtr<IEnumFilters> e;
        m_graph->EnumFilters(e.Put());
        IBaseFilter* f = nullptr;
        while (e->Next(1, &f, nullptr) == S_OK) {
            FILTER_INFO info{};
            f->QueryFilterInfo(&info);
            if (info.pGraph) info.pGraph->Release();
            names.emplace_back(info.achName);
            f->Release();
        }
        return names;
    }

    TestRegistrations m_registrations;
    ComPtr<IGraphBuilder> m_graph;
    ComPtr<IMediaControl> m_control;
    ComPtr<IMediaSeeking> m_seeking;
};

}  // namespace orvo::test
