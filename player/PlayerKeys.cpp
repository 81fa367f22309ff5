#include "PlayerKeys.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "Unit1.h"
#include "VideoForm.h"

namespace {

constexpr double kShortSeek = 5, kLongSeek = 60;  // seconds
constexpr int64_t kVolumeStep = 3;

void LeaveFullScreen(TFormPlayer&) {
    if (VideoWindow && VideoWindow->isVisible()) VideoWindow->close();
}

}  // namespace

const std::vector<PlayerKey>& PlayerKeys() {
    static const std::vector<PlayerKey> keys = {
        {{Qt::Key_Space}, "Play / pause", [](TFormPlayer& p) { p.PlayBtnClick(p.PlayBtn); }},
        {{Qt::Key_Left}, "Back 5 s", [](TFormPlayer& p) { p.Session->SeekBy(-kShortSeek); }},
        {{Qt::Key_Right}, "Forward 5 s", [](TFormPlayer& p) { p.Session->SeekBy(kShortSeek); }},
        {{Qt::Key_Down}, "Back 60 s", [](TFormPlayer& p) { p.Session->SeekBy(-kLongSeek); }},
        {{Qt::Key_Up}, "Forward 60 s", [](TFormPlayer& p) { p.Session->SeekBy(kLongSeek); }},
        {{Qt::Key_Home}, "To the start", [](TFormPlayer& p) { p.Session->SeekTo(0); }},
        {{Qt::Key_Period}, "One frame forward (while paused)", [](TFormPlayer& p) { p.Session->StepFrame(); }},
        {{Qt::Key_F, Qt::Key_Return, Qt::Key_Enter}, "Full screen on / off",
         [](TFormPlayer& p) { p.fullscreen_btnClick(p.fullscreen_btn); }},
        {{Qt::Key_Escape}, "Leave full screen", LeaveFullScreen},
        {{Qt::Key_M}, "Mute on / off", [](TFormPlayer& p) { p.Session->ToggleMute(); }},
        {{Qt::Key_9}, "Volume down", [](TFormPlayer& p) { p.SetVolume(p.volume - kVolumeStep); }},
        {{Qt::Key_0}, "Volume up", [](TFormPlayer& p) { p.SetVolume(p.volume + kVolumeStep); }},
        {{Qt::Key_N}, "Next file of the folder", [](TFormPlayer& p) { p.NextFile1Click(p.NextFile1); }},
        {{Qt::Key_P}, "Previous file of the folder", [](TFormPlayer& p) { p.PreviousFile1Click(p.PreviousFile1); }},
        {{QKeyCombination(Qt::ControlModifier, Qt::Key_O)}, "Open a 2D file",
         [](TFormPlayer& p) { p.Open2Dfile1->trigger(); }},
        {{QKeyCombination(Qt::ControlModifier, Qt::Key_Q)}, "Exit", [](TFormPlayer& p) { p.Exit1Click(p.Exit1); }},
    };
    return keys;
}

bool RunPlayerKey(TFormPlayer& player, const QKeyEvent& event) {
    // A key of the numeric keypad counts as the same key of the main block.
    const QKeyCombination pressed(event.modifiers() & ~Qt::KeypadModifier, Qt::Key(event.key()));
    for (const PlayerKey& key : PlayerKeys()) {
        for (QKeyCombination combination : key.keys) {
            if (combination != pressed) continue;
            key.run(player);
            return true;
        }
    }
    return false;
}

QString PlayerKeysTable() {
    QString rows;
    for (const PlayerKey& key : PlayerKeys()) {
        QStringList names;
        for (QKeyCombination combination : key.keys)
            names << QKeySequence(combination).toString(QKeySequence::NativeText).toHtmlEscaped();
        rows += QString("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(names.join(" or "), QString(key.what));
    }
    return "<table cellspacing=\"4\">" + rows + "</table>";
}
