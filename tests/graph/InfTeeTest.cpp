// The Infinite Pin Tee in a running graph: a free output after every connection, and every
// sample on every connected output.
#include <gtest/gtest.h>

#include "tests/graph/GraphFixture.h"

namespace orvo::test {
namespace {

using InfTee = GraphFixture;

int PinCount(IBaseFilter* filter) {
    ComPtr<IEnumPins> pins;
    filter->EnumPins(pins.Put());
    int n = 0;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        pin->Release();
        ++n;
    }
    return n;
}

TEST_F(InfTee, EachConnectionAddsAFreeOutputAndEveryOutputGetsEverySample) {
    auto source = Add(new TestSource({StreamSpec{.duration = 400 * kMs}}), u"Source");
    ComPtr<IBaseFilter> tee;
    ASSERT_EQ(CoCreateInstance(CLSID_InfTee, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter, tee.PutVoid()), S_OK);
    ASSERT_EQ(m_graph->AddFilter(tee.Get(), u"Tee"), S_OK);
    auto first = Add(new TestVideoSink, u"First");
    auto second = Add(new TestVideoSink, u"Second");
    EXPECT_EQ(PinCount(tee.Get()), 2);

    ASSERT_EQ(m_graph->ConnectDirect(PinOf(source.Get(), 0).Get(), PinOf(tee.Get(), 0).Get(), nullptr), S_OK);
    ASSERT_EQ(m_graph->Connect(PinOf(tee.Get(), 1).Get(), first->InputPin()), S_OK);
    EXPECT_EQ(PinCount(tee.Get()), 3);
    ASSERT_EQ(m_graph->Connect(PinOf(tee.Get(), 2).Get(), second->InputPin()), S_OK);
    EXPECT_EQ(PinCount(tee.Get()), 4);
    EXPECT_FALSE(IsConnected(PinOf(tee.Get(), 3).Get()));

    ASSERT_EQ(m_control->Run(), S_OK);
    EXPECT_TRUE(first->WaitForRendered(11, 3000));  // preroll and 10 samples
    EXPECT_TRUE(second->WaitForRendered(11, 3000));
    m_control->Stop();
    EXPECT_EQ(first->Rendered().size(), 11u);
    EXPECT_EQ(second->Rendered().size(), 11u);
}

}  // namespace
}  // namespace orvo::test
