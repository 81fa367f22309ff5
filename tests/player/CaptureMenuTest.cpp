// Capture devices in the main window: one "Open Video Device" item per device, numbered as the
// engine lists them, and a device channel that counts seconds under "Device".
#include "PlayerTest.h"
#include "Unit1.h"
#include "platform/filters/capture/VirtualCamera.h"

namespace orvo::test {
namespace {

using capture::VirtualCamera;

// The cameras are registered before the main window lists the devices.
class CaptureMenu : public PlayerTest {
protected:
    VirtualCamera first{{.name = "Orvo Camera One"}};
    VirtualCamera second{{.name = "Orvo Camera Two"}};

    std::vector<TMenuItem*> Devices() {
        std::vector<TMenuItem*> items;
        for (QAction* action : FormPlayer->OpenFirstVideoCaptureDevice1->actions())
            items.push_back(qobject_cast<TMenuItem*>(action));
        return items;
    }
};

TEST_F(CaptureMenu, EachDeviceHasAnItemNumberedFromOne) {
    const std::vector<TMenuItem*> items = Devices();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(DeviceCount, 2);
    EXPECT_EQ(items[0]->text(), "Orvo Camera One");
    EXPECT_EQ(items[1]->text(), "Orvo Camera Two");
    EXPECT_EQ(items[0]->Tag, 1);
    EXPECT_EQ(items[1]->Tag, 2);
    EXPECT_FALSE(items[0]->isChecked() || items[1]->isChecked());
}

TEST_F(CaptureMenu, ADeviceShowsDeviceAndCountsSecondsWithTheBarAtItsStart) {
    Open2D("flat.mkv");
    FormPlayer->NoGlassesRightPart1->trigger();
    TakeEngineCalls();
    TMenuItem* camera = Devices()[1];
    camera->trigger();
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_EQ(TakeSent(), (Sent{{5, 5}, {7, 4}})) << "the 2D choice, and no volume";
    EXPECT_EQ(FormPlayer->Label2->text(), "Device");
    EXPECT_TRUE(camera->isChecked());
    EXPECT_TRUE(FormPlayer->N2D1->menuAction()->isEnabled());
    EXPECT_FALSE(FormPlayer->N31->menuAction()->isEnabled());
    EXPECT_EQ(Lumex_ChannelGetState(CurrentChannel), CHANNEL_PLAYING);

    EXPECT_TRUE(WaitFor([] { return FormPlayer->Label1->text() == "00:01"; }, 4s))
        << FormPlayer->Label1->text().toStdString();
    EXPECT_EQ(FormPlayer->Bar->Value(), 0) << "the bar stays at its start";
    EXPECT_EQ(FormPlayer->Label2->text(), "Device");
}

TEST_F(CaptureMenu, DeviceMarksStayUntilTheNextDeviceOpenReplacesAnOpenChannel) {
    TMenuItem *one = Devices()[0], *two = Devices()[1];
    two->trigger();
    ASSERT_NE(CurrentChannel, 0u);
    FormPlayer->CloseCurrentvideo1->trigger();
    EXPECT_TRUE(two->isChecked()) << "closing leaves the device checked";
    one->trigger();
    EXPECT_TRUE(one->isChecked());
    EXPECT_TRUE(two->isChecked()) << "an open while idle clears nothing";
    two->trigger();
    EXPECT_FALSE(one->isChecked()) << "releasing an open device clears the marks";
    EXPECT_TRUE(two->isChecked());
}

}  // namespace
}  // namespace orvo::test
