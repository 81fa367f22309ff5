// The environments of the player's desktop-bus tests, in order: ALSA's test configuration,
// a private session bus (before anything in the process connects to a bus), then the
// application.
#include "PlayerApplication.h"
#include "tests/support/AlsaCapture.h"
#include "tests/support/SessionBus.h"

namespace {

[[maybe_unused]] const auto* const g_alsa = testing::AddGlobalTestEnvironment(new orvo::test::AlsaCapture);
[[maybe_unused]] const auto* const g_bus = testing::AddGlobalTestEnvironment(new orvo::test::SessionBus);
[[maybe_unused]] const auto* const g_app = testing::AddGlobalTestEnvironment(new orvo::test::PlayerApplication);

}  // namespace
