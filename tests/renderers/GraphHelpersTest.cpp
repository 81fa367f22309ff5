#include <gtest/gtest.h>

#include "engine/renderers/GraphHelpers.h"

namespace orvo::engine {
namespace {

TEST(NormalizeRect, WholeHundredthsTruncated) {
    NormalizedRect r = NormalizeRect(RECT{10, 20, 330, 260}, 640, 480);
    EXPECT_FLOAT_EQ(r.left, 0.01f);
    EXPECT_FLOAT_EQ(r.top, 0.04f);
    EXPECT_FLOAT_EQ(r.right, 0.51f);
    EXPECT_FLOAT_EQ(r.bottom, 0.54f);
    NormalizedRect third = NormalizeRect(RECT{0, 0, 213, 160}, 640, 480);
    EXPECT_FLOAT_EQ(third.right, 0.33f);
    NormalizedRect empty = NormalizeRect(RECT{10, 10, 20, 20}, 0, 0);
    EXPECT_FLOAT_EQ(empty.right, 0.0f) << "a zero video size divides nothing";
}

TEST(GraphHelpers, NullArgumentsAreAnsweredWithoutTouchingAnything) {
    IBaseFilter* filter = reinterpret_cast<IBaseFilter*>(1);
    EXPECT_EQ(AddFilterByClsid(GUID_NULL, &filter, nullptr, u"x"), E_POINTER);
    EXPECT_EQ(AddFilterByClsid(GUID_NULL, nullptr, nullptr, u"x"), E_POINTER);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(FindSourceInterface(nullptr, IID_IUnknown, &object), E_POINTER);
    EXPECT_EQ(ConnectToFilter(nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(RemoveIfUnconnected(nullptr, nullptr), 1);
    IUnknown* none = nullptr;
    SafeRelease(&none);
    SafeRelease<IUnknown>(nullptr);
}

}  // namespace
}  // namespace orvo::engine
