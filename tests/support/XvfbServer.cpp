#include "tests/support/XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

extern char** environ;

namespace orvo::test {
namespace {

// Reads the display number Xvfb writes once it accepts connections.
std::string ReadDisplayNumber(int fd) {
    std::string number;
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') number += c;
    return number;
}

}  // namespace

const XvfbServer* XvfbServer::Shared() {
    static std::once_flag once;
    static std::unique_ptr<XvfbServer> server;
    std::call_once(once, [] {
        std::unique_ptr<XvfbServer> candidate(new XvfbServer);
        if (candidate->Start()) {
            setenv("DISPLAY", candidate->m_display.c_str(), 1);
            server = std::move(candidate);
        }
    });
    return server.get();
}

std::unique_ptr<XvfbServer> XvfbServer::StartPrivate() {
    std::unique_ptr<XvfbServer> server(new XvfbServer);
    if (!server->Start()) return nullptr;
    return server;
}

void XvfbServer::Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

bool XvfbServer::Start() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The child gets the pipe's write end as fd 3; stdout and stderr are silenced.
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"Xvfb",         "-displayfd", "3",   "-screen", "0",
                                     "1920x1080x24", "-nolisten",  "tcp", "-noreset"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    m_pid = pid;
    std::string number = ReadDisplayNumber(fds[0]);
    close(fds[0]);
    if (number.empty()) return false;
    m_display = ":" + number;
    return true;
}

XvfbServer::~XvfbServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
}

}  // namespace orvo::test
