#pragma once
// A private Xvfb server for the test program, started on first use on a free display
// number, with DISPLAY pointing at it, and stopped when the program exits.
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace orvo::test {

class XvfbServer {
public:
    // The program's server, started on the first call; nullptr when Xvfb cannot run.
    static const XvfbServer* Shared();
    // A server of the caller's own, which it may kill under connected clients; nullptr when
    // Xvfb cannot run. DISPLAY is left as it is.
    static std::unique_ptr<XvfbServer> StartPrivate();

    const std::string& display() const { return m_display; }
    // The server's process id, for benchmarks that count its CPU time.
    int pid() const { return m_pid; }
    // Ends the server at once, as a crash would, and waits for it to be gone.
    void Kill();

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer();

private:
    XvfbServer() = default;
    bool Start();

    int m_pid = -1;
    std::string m_display;
};

}  // namespace orvo::test

// Use at the top of a test (or SetUp) that needs a display: skips the test with a clear
// message when Xvfb is not installed.
#define ORVO_REQUIRE_DISPLAY()                                                                                       \
    do {                                                                                                             \
        if (!::orvo::test::XvfbServer::Shared()) GTEST_SKIP() << "Xvfb is not available; this test needs a display"; \
    } while (0)
