// Without any display the surface service and the window system fail at once.
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/com/ComPtr.h"
#include "platform/surface/DirectDraw.h"
#include "platform/window/WindowSystem.h"

namespace {

class NoDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { unsetenv("DISPLAY"); }
};

TEST_F(NoDisplayTest, DirectDrawCannotBeCreated) {
    ComPtr<IDirectDraw7> directDraw;
    EXPECT_EQ(DirectDrawCreateEx(nullptr, directDraw.PutVoid(), IID_IDirectDraw7, nullptr),
              DDERR_NODIRECTDRAWSUPPORT);
    EXPECT_FALSE(directDraw);
}

TEST_F(NoDisplayTest, WindowQueriesFail) {
    RECT rect{1, 2, 3, 4};
    EXPECT_FALSE(IsWindow(0x200001));
    EXPECT_FALSE(GetClientRect(0x200001, &rect));
    EXPECT_FALSE(GetWindowRect(0x200001, &rect));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0));
    EXPECT_EQ(GetActiveWindow(), 0u);
}

}  // namespace
