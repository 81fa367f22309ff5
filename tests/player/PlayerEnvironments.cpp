// The environments of the player's window tests, in order: ALSA's test configuration, then
// the application. No session bus is reachable, as on a machine without one: the player
// must run as well there.
#include <cstdlib>

#include "PlayerApplication.h"
#include "tests/support/AlsaCapture.h"

namespace {

class NoSessionBus : public testing::Environment {
public:
    void SetUp() override { setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvo-no-bus", 1); }
};

[[maybe_unused]] const auto* const g_alsa = testing::AddGlobalTestEnvironment(new orvo::test::AlsaCapture);
[[maybe_unused]] const auto* const g_bus = testing::AddGlobalTestEnvironment(new NoSessionBus);
[[maybe_unused]] const auto* const g_app = testing::AddGlobalTestEnvironment(new orvo::test::PlayerApplication);

}  // namespace
