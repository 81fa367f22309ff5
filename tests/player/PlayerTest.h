#pragma once
// The fixture of the player's tests: the real main window and full-screen window on the
// test's Xvfb server, over the real libCore.so, with generated clips. The only stand-in is
// the answer to the modal open-file dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "EngineCalls.h"
#include "Lumex.h"
#include "tests/support/TestWindow.h"

#include <QString>
#include <ostream>

class QWidget;

// Qt's text in test messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace orvo::test {

using namespace std::chrono_literals;

class PlayerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Chooses the clip (or cancels, for an empty name) in the dialog the item shows.
    void OpenWith(QAction* item, const std::string& clip);
    // Opens the clip as a 2D file, as a left/right and as a top/bottom stereo file.
    void Open2D(const std::string& clip);
    void OpenLeftRight(const std::string& clip);
    void OpenTopBottom(const std::string& clip);

    // Runs the event loop for the time given, or until done returns true; the result of done.
    static void Pump(std::chrono::milliseconds time);
    static bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s);

    // What the screen shows in a native window, 0xRRGGBB, row by row.
    static std::vector<uint32_t> Pixels(QWidget* window);
    static uint32_t Pixel(QWidget* window, int x, int y);
    // Waits until the pixel at (x, y) of the window shows the colour.
    static bool WaitForColour(QWidget* window, int x, int y, uint32_t colour, std::chrono::milliseconds timeout = 5s);

    // Runs check on the next modal dialog once it is up, then closes it.
    static void OnNextModal(std::function<void(QWidget*)> check);
};

}  // namespace orvo::test
