#include "tests/support/SessionBus.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

namespace orvo::test {
namespace {

std::string g_address;

std::string ReadLine(FILE* in) {
    std::string line;
    for (int c; (c = std::fgetc(in)) != EOF && c != '\n';) line += char(c);
    return line;
}

}  // namespace

const std::string& SessionBus::Address() { return g_address; }

// The daemon forks into the background once it listens and prints its address and its
// process id, one a line.
void SessionBus::SetUp() {
    FILE* daemon = popen("dbus-daemon --session --fork --nosyslog --print-address=1 --print-pid=1 2>/dev/null", "r");
    if (!daemon) return;
    const std::string address = ReadLine(daemon);
    const std::string pid = ReadLine(daemon);
    pclose(daemon);
    if (address.empty() || pid.empty()) return;
    m_pid = std::atoi(pid.c_str());
    g_address = address;
    setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

void SessionBus::TearDown() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
    m_pid = -1;
}

}  // namespace orvo::test
