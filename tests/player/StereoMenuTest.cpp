// The stereo display menus: what each item sends to the engine, in order, for a left/right
// and a top/bottom file, and where the check marks end up.
#include "PlayerTest.h"
#include "Unit1.h"

namespace orvo::test {
namespace {

std::vector<TMenuItem*> CheckedItems(QMenu* menu) {
    std::vector<TMenuItem*> items;
    for (QAction* action : menu->actions())
        if (action->isChecked()) items.push_back(qobject_cast<TMenuItem*>(action));
    return items;
}

struct ItemCase {
    TMenuItem* TFormPlayer::*item;
    Sent leftRight;  // xmode 0
    Sent topBottom;  // xmode 1
};

const ItemCase k3DItems[] = {
    {&TFormPlayer::BlueYellowGlasses2, {{5, 1}, {7, 0}}, {{5, 2}, {7, 0}}},
    {&TFormPlayer::RedCyanGlasses2, {{5, 1}, {7, 1}}, {{5, 2}, {7, 1}}},
    {&TFormPlayer::GreenMagentaGlasses2, {{5, 1}, {7, 2}}, {{5, 2}, {7, 2}}},
    {&TFormPlayer::NoGlassesLeftPart2, {{5, 1}, {7, 3}}, {{5, 2}, {7, 3}}},
    {&TFormPlayer::NoGlasses2ndPart1, {{5, 1}, {7, 4}}, {{5, 2}, {7, 4}}},
    {&TFormPlayer::SidebySidedisplay1, {{5, 0}}, {{5, 3}}},
    {&TFormPlayer::opBottomDisplay1, {{5, 4}}, {{5, 2}, {7, 5}}},
};

TEST_F(PlayerTest, EveryThreeDItemSendsItsModesForBothLayoutsAndTakesTheOnlyMark) {
    for (int32_t xmode : {0, 1}) {
        if (xmode == 0) OpenLeftRight("sbs.mkv");
        else OpenTopBottom("tb.mkv");
        ASSERT_NE(CurrentChannel, 0u);
        TMenuItem* openItem = xmode == 0 ? FormPlayer->Openafile1 : FormPlayer->Open3DTopBottomvideofile1;
        TakeEngineCalls();
        // Twice round, so that every item is also chosen after every other kind.
        for (int round = 0; round < 2; ++round)
            for (const ItemCase& c : k3DItems) {
                TMenuItem* item = FormPlayer->*c.item;
                item->trigger();
                std::vector<EngineCall> expected;
                for (auto [code, value] : xmode == 0 ? c.leftRight : c.topBottom)
                    expected.push_back({CurrentChannel, code, value});
                EXPECT_EQ(TakeEngineCalls(), expected) << item->objectName().toStdString() << " xmode " << xmode;
                EXPECT_EQ(CheckedItems(FormPlayer->N31), std::vector<TMenuItem*>{item})
                    << item->objectName().toStdString();
                EXPECT_TRUE(openItem->isChecked());
            }
    }
}

TEST_F(PlayerTest, TwoDItemsSendTheViewModeAloneAndTheMarkedOneGoesToTheNextOpen) {
    Open2D("flat.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    TakeEngineCalls();
    TMenuItem* const items[] = {FormPlayer->RedCyanGlasses1, FormPlayer->GreenMagentaGlasses1,
                                FormPlayer->NoGlassesLeftPart1, FormPlayer->NoGlassesRightPart1,
                                FormPlayer->BlueYellowGlasses1};
    const float views[] = {1, 2, 3, 4, 0};
    for (size_t i = 0; i < std::size(items); ++i) {
        items[i]->trigger();
        EXPECT_EQ(TakeSent(), (Sent{{7, views[i]}})) << items[i]->objectName().toStdString();
        EXPECT_EQ(CheckedItems(FormPlayer->N2D1), std::vector<TMenuItem*>{items[i]});
        items[i]->trigger();
        EXPECT_TRUE(items[i]->isChecked()) << "choosing the marked item again keeps its mark";
        TakeEngineCalls();
    }

    FormPlayer->NoGlassesRightPart1->trigger();
    Open2D("flat.mkv");
    EXPECT_EQ(TakeSent(), (Sent{{7, 4}, {5, 5}, {7, 4}, {1, 100}}));
    EXPECT_EQ(CheckedItems(FormPlayer->N2D1), std::vector<TMenuItem*>{FormPlayer->NoGlassesRightPart1});

    // A stereo open clears "3D Video" and sends blue/yellow again.
    OpenLeftRight("sbs.mkv");
    FormPlayer->SidebySidedisplay1->trigger();
    OpenLeftRight("sbs.mkv");
    EXPECT_TRUE(CheckedItems(FormPlayer->N31).empty());
    EXPECT_EQ(CheckedItems(FormPlayer->N2D1), std::vector<TMenuItem*>{FormPlayer->NoGlassesRightPart1})
        << "the 2D choice survives stereo opens";
}

}  // namespace
}  // namespace orvo::test
