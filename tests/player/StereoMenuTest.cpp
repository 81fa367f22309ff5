// The stereo display menus: what each item sends to the engine, in order, for a left/right
// and a top/bottom file, and where the check marks end up.
#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "PlayerTest.h"
#include "Unit1.h"
#include "VideoForm.h"
#include "tests/media/MediaClip.h"

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
    EXPECT_EQ(TakeSent(), (Sent{{7, 4}, {5, 5}, {7, 4}, {10, 0}, {11, 1}, {1, 100}}));
    EXPECT_EQ(CheckedItems(FormPlayer->N2D1), std::vector<TMenuItem*>{FormPlayer->NoGlassesRightPart1});

    // A stereo open clears "3D Video" and sends blue/yellow again.
    OpenLeftRight("sbs.mkv");
    FormPlayer->SidebySidedisplay1->trigger();
    OpenLeftRight("sbs.mkv");
    EXPECT_TRUE(CheckedItems(FormPlayer->N31).empty());
    EXPECT_EQ(CheckedItems(FormPlayer->N2D1), std::vector<TMenuItem*>{FormPlayer->NoGlassesRightPart1})
        << "the 2D choice survives stereo opens";
}

// "Open video file..." opens each file as the engine finds it: a right-first top/bottom pair
// as stereo mode 2 with the eyes swapped (and "Swap Eyes" marked), a file without a pair as 2D.
TEST_F(PlayerTest, OpenVideoFileOpensTheDetectedLayoutWithItsEyeOrder) {
    const struct {
        const char* clip;
        Sent sent;
        bool threeD, swapped;
    } cases[] = {
        {"mkv_bottom_top.mkv", {{5, 2}, {7, 0}, {9, 1}, {10, 0}, {11, 1}, {1, 100}}, true, true},
        {"mkv_right_left.mkv", {{5, 1}, {7, 0}, {9, 1}, {10, 0}, {11, 1}, {1, 100}}, true, true},
        {"mkv_top_bottom.mkv", {{5, 2}, {7, 0}, {9, 0}, {10, 0}, {11, 1}, {1, 100}}, true, false},
        {"flat.mkv", {{5, 5}, {7, 0}, {10, 0}, {11, 1}, {1, 100}}, false, false},
    };
    EXPECT_EQ(FormPlayer->File1->actions().first(), FormPlayer->Openvideofile1) << "at the top of File";
    for (const auto& c : cases) {
        const QString clip = QString::fromStdString(MediaClip(c.clip));
        TOpenDialog::Chooser = [&] { return clip; };
        TakeSent();
        FormPlayer->Openvideofile1->trigger();
        ASSERT_NE(CurrentChannel, 0u) << c.clip;
        EXPECT_EQ(TakeSent(), c.sent) << c.clip;
        EXPECT_EQ(FormPlayer->N31->menuAction()->isEnabled(), c.threeD) << c.clip;
        EXPECT_EQ(FormPlayer->N2D1->menuAction()->isEnabled(), !c.threeD) << c.clip;
        if (c.threeD) {
            EXPECT_EQ(FormPlayer->SwapEyes1->isChecked(), c.swapped) << c.clip;
        }
    }
}

// The option items toggle on their own, send their attribute, and keep their marks through
// the glasses and display handlers that clear the other items.
TEST_F(PlayerTest, OptionItemsToggleAndSurviveTheGlassesHandlers) {
    EXPECT_TRUE(FormPlayer->KeepAspectRatio1->isChecked()) << "checked by default";
    OpenLeftRight("sbs.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    TakeSent();
    FormPlayer->SwapEyes1->trigger();
    FormPlayer->OptimisedAnaglyph2->trigger();
    FormPlayer->KeepAspectRatio1->trigger();
    EXPECT_EQ(TakeSent(), (Sent{{9, 1}, {10, 1}, {11, 0}}));
    for (const ItemCase& c : k3DItems) {
        (FormPlayer->*c.item)->trigger();
        EXPECT_TRUE(FormPlayer->SwapEyes1->isChecked()) << (FormPlayer->*c.item)->objectName().toStdString();
        EXPECT_TRUE(FormPlayer->OptimisedAnaglyph2->isChecked());
    }
    TakeSent();
    FormPlayer->SwapEyes1->trigger();
    EXPECT_EQ(TakeSent(), (Sent{{9, 0}}));
    // The next 3D open sends the marks as they stand.
    OpenTopBottom("tb.mkv");
    EXPECT_EQ(TakeSent(), (Sent{{5, 2}, {7, 0}, {9, 0}, {10, 1}, {11, 0}, {1, 100}}));

    Open2D("flat.mkv");
    TakeSent();
    FormPlayer->OptimisedAnaglyph1->trigger();
    EXPECT_EQ(TakeSent(), (Sent{{10, 1}}));
    FormPlayer->RedCyanGlasses1->trigger();
    EXPECT_TRUE(FormPlayer->OptimisedAnaglyph1->isChecked());
    EXPECT_EQ(TakeSent(), (Sent{{7, 1}})) << "the option is not a glasses item";
    Open2D("flat.mkv");
    EXPECT_EQ(TakeSent(), (Sent{{5, 5}, {7, 1}, {10, 1}, {11, 0}, {1, 100}}));
}

// A file dropped onto the main or the full-screen window opens as "Open video file..." opens it;
// a drag that carries no local file is refused.
TEST_F(PlayerTest, ADroppedFileOpensWithItsDetectedLayout) {
    const auto drop = [](QWidget* window, const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &dropped);
        return true;
    };
    TakeSent();
    ASSERT_TRUE(drop(FormPlayer, MediaClip("mkv_bottom_top.mkv")));
    ASSERT_NE(CurrentChannel, 0u);
    EXPECT_EQ(TakeSent(), (Sent{{5, 2}, {7, 0}, {9, 1}, {10, 0}, {11, 1}, {1, 100}}));
    EXPECT_TRUE(FormPlayer->N31->menuAction()->isEnabled());
    ASSERT_TRUE(drop(VideoWindow, MediaClip("flat.mkv")));
    EXPECT_TRUE(FormPlayer->N2D1->menuAction()->isEnabled()) << "the full-screen window takes drops too";
    QMimeData text;
    text.setText("not a file");
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FormPlayer, &enter);
    EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
}  // namespace orvo::test
