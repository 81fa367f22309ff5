// The wheel sets the gain of the real sound output: what ALSA's file plug-in receives falls
// by the engine's volume curve, 1085.73 x ln(100 x v) - 10000 hundredths of a decibel.
#include <QApplication>
#include <QWheelEvent>

#include <cmath>
#include <cstring>
#include <thread>

#include "PlayerTest.h"
#include "Unit1.h"
#include "tests/support/AlsaCapture.h"

namespace orvo::test {
namespace {

double LeftPeak() {
    const std::vector<char> pcm = AlsaCapture::Captured();
    double peak = 0;
    for (size_t offset = 0; offset + 8 <= pcm.size(); offset += 8) {
        float left;
        std::memcpy(&left, pcm.data() + offset, 4);
        peak = std::max(peak, double(std::fabs(left)));
    }
    return peak;
}

// Plays the first 400 ms of the open file into the capture device; the peak of the left channel.
double PlayedPeak() {
    AudioDevice device("capture");
    Lumex_ChannelPlay(CurrentChannel);
    std::this_thread::sleep_for(400ms);
    Lumex_ChannelStop(CurrentChannel);
    Lumex_ChannelSetPosition(CurrentChannel, 0, POS_SECONDS);
    return LeftPeak();
}

void WheelNotches(int notches) {
    const QPoint at(100, 100);
    QWheelEvent event(at, FormPlayer->mapToGlobal(at), QPoint(), QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(FormPlayer, &event);
}

TEST_F(PlayerTest, TheWheelChangesTheGainOfTheSoundOutput) {
    Open2D("flat.mkv");
    ASSERT_NE(CurrentChannel, 0u);
    Lumex_ChannelStop(CurrentChannel);
    Lumex_ChannelSetPosition(CurrentChannel, 0, POS_SECONDS);
    const double full = PlayedPeak();
    ASSERT_NEAR(full, 0.5, 0.01) << "the clip's tone at volume 100";

    const struct {
        int notches;
        int64_t volume;
    } steps[] = {{-17, 49}, {-16, 1}, {-1, 0}, {+17, 51}, {+17, 100}};
    for (const auto& step : steps) {
        WheelNotches(step.notches);
        ASSERT_EQ(FormPlayer->volume, step.volume);
        const double peak = PlayedPeak();
        if (step.volume == 0) {
            EXPECT_EQ(peak, 0.0) << "volume 0 is silence";
            continue;
        }
        const double expected = std::trunc(1085.73 * std::log(100.0 * double(step.volume)) - 10000);
        const double measured = 2000.0 * std::log10(peak / full);
        EXPECT_NEAR(measured, expected, std::max(10.0, std::fabs(expected) / 100)) << "volume " << step.volume;
    }
}

}  // namespace
}  // namespace orvo::test
