#include "PlayerApplication.h"

#include "AmakritsStyle.h"
#include "tests/support/XvfbServer.h"

namespace orvo::test {

void PlayerApplication::SetUp() {
    if (!XvfbServer::Shared()) return;
    qputenv("QT_QPA_PLATFORM", "xcb");
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
    ApplyAmakritsStyle(*m_app);
}

void PlayerApplication::TearDown() { m_app.reset(); }

}  // namespace orvo::test
