#pragma once
// The QApplication of a player test program, on the program's Xvfb server with the player's
// style, as the program itself starts. A test program registers it after the environments
// that must come first (ALSA's test configuration, which is read once per process).
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace orvo::test {

class PlayerApplication : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

private:
    int m_argc = 1;
    char m_name[16] = "player_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

}  // namespace orvo::test
