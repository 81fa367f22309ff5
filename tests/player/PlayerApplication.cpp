// The test program's environments, in order: ALSA's test configuration (read once per
// process, so before any sound), then the QApplication on the program's Xvfb server with
// the player's style, as the program itself starts.
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

#include "AmakritsStyle.h"
#include "tests/support/AlsaCapture.h"
#include "tests/support/XvfbServer.h"

namespace {

class PlayerApplication : public testing::Environment {
public:
    void SetUp() override {
        if (!orvo::test::XvfbServer::Shared()) return;
        qputenv("QT_QPA_PLATFORM", "xcb");
        m_app = std::make_unique<QApplication>(m_argc, m_argv);
        ApplyAmakritsStyle(*m_app);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "player_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const g_alsa = testing::AddGlobalTestEnvironment(new orvo::test::AlsaCapture);
[[maybe_unused]] const auto* const g_app = testing::AddGlobalTestEnvironment(new PlayerApplication);

}  // namespace
