#include "tests/support/ProgramWindows.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

extern char** environ;

namespace orvo::test {
namespace {

// Leaks in system libraries that a program cannot free, for LeakSanitizer in the programs
// started: Qt's platform plug-in opens a session bus connection on a thread of its own, and
// libdbus and Qt's bus module keep its buffers when the program ends before that thread.
// Their allocations are recognised by the modules on their stacks, which takes the full
// unwinder (fast_unwind_on_malloc=0): the fast one stops at the first library built without
// frame pointers.
constexpr const char* kSystemLeaks = "leak:libdbus-1.so\nleak:libQt6DBus.so\n";

// A file of its own outside the source and build folders, so that a program started with
// those hidden still reads it when it exits.
class SuppressionFile {
public:
    SuppressionFile() : m_path(std::filesystem::temp_directory_path() / ("orvo-lsan-" + std::to_string(getpid()))) {
        std::ofstream(m_path) << kSystemLeaks;
    }
    ~SuppressionFile() {
        std::error_code ignored;
        std::filesystem::remove(m_path, ignored);
    }
    std::string path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

}  // namespace

pid_t StartProgram(std::vector<std::string> args) {
    static const SuppressionFile suppressions;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v)
        if (std::strncmp(*v, "LSAN_OPTIONS=", 13) != 0 && std::strncmp(*v, "ASAN_OPTIONS=", 13) != 0)
            variables.emplace_back(*v);
    auto extended = [](const char* name, const std::string& more) {
        const char* given = getenv(name);
        return std::string(name) + "=" + (given && *given ? std::string(given) + ":" : "") + more;
    };
    variables.push_back(extended("LSAN_OPTIONS", "suppressions=" + suppressions.path()));
    variables.push_back(extended("ASAN_OPTIONS", "fast_unwind_on_malloc=0"));
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid : -1;
}

int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

XClient::XClient() : m_c(xcb_connect(nullptr, nullptr)) {}

XClient::~XClient() { xcb_disconnect(m_c); }

xcb_atom_t XClient::Atom(const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return atom;
}

xcb_window_t XClient::FindTitled(const std::string& title) {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(m_c, xcb_query_tree(m_c, root), nullptr);
    if (!tree) return XCB_NONE;
    xcb_window_t found = XCB_NONE;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) {
        xcb_get_property_reply_t* name = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 0, children[i], XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256), nullptr);
        if (name && std::string(static_cast<const char*>(xcb_get_property_value(name)),
                                size_t(xcb_get_property_value_length(name))) == title)
            found = children[i];
        std::free(name);
    }
    std::free(tree);
    return found;
}

std::pair<int, int> XClient::Size(xcb_window_t window) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, window), nullptr);
    const std::pair<int, int> size = g ? std::pair{int(g->width), int(g->height)} : std::pair{0, 0};
    std::free(g);
    return size;
}

void XClient::SendDeleteWindow(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("WM_PROTOCOLS");
    event.data.data32[0] = Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(m_c, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
    xcb_flush(m_c);
}

}  // namespace orvo::test
