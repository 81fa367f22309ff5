#pragma once
// A private D-Bus session bus for the test program: a dbus-daemon of its own, started by
// the environment before anything connects, with DBUS_SESSION_BUS_ADDRESS pointing at it,
// and ended with the program.
#include <gtest/gtest.h>

#include <string>

namespace orvo::test {

class SessionBus : public testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // The bus address; empty when dbus-daemon could not be started.
    static const std::string& Address();

private:
    int m_pid = -1;
};

}  // namespace orvo::test

// Use at the top of a test that needs the bus: skips it with a clear message without one.
#define ORVO_REQUIRE_SESSION_BUS()                                                              \
    do {                                                                                        \
        if (::orvo::test::SessionBus::Address().empty()) GTEST_SKIP() << "dbus-daemon missing"; \
    } while (0)
