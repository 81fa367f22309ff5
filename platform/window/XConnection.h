#pragma once
// The process's connection to the X server, opened on first use from $DISPLAY and opened
// again after the server connection broke. xcb connections are thread-safe.
#include <xcb/xcb.h>

#include <string_view>

namespace orvo::window {

// The live connection, or nullptr when no X server can be reached.
xcb_connection_t* Connection();
// The default screen of the live connection, or nullptr.
xcb_screen_t* DefaultScreen();
// Interns an atom on the live connection; XCB_ATOM_NONE without one.
xcb_atom_t InternAtom(std::string_view name);

}  // namespace orvo::window
