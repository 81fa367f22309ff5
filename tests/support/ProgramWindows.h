#pragma once
// Programs started as a user starts them, and their top-level windows on the test's X
// server: found by title, measured, and closed through the window manager's protocol.
#include <sys/types.h>
#include <xcb/xcb.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace orvo::test {

// Starts the program args[0] (a path, or a name looked up in PATH) with the test's
// environment, where LeakSanitizer also overlooks the leaks of system libraries; -1 when it
// cannot start.
pid_t StartProgram(std::vector<std::string> args);

// The exit status of the child (128 + the signal when a signal ended it), or -1 when it has
// not ended within the timeout.
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout);

// A connection of the test's own to the display.
class XClient {
public:
    XClient();
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    // The top-level window with that title, or XCB_NONE.
    xcb_window_t FindTitled(const std::string& title);
    // Width and height; 0, 0 when the window is gone.
    std::pair<int, int> Size(xcb_window_t window);
    // Asks the window to close, as a window manager's close button does.
    void SendDeleteWindow(xcb_window_t window);

private:
    xcb_atom_t Atom(const char* name);

    xcb_connection_t* m_c;
};

}  // namespace orvo::test
