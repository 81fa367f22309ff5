#pragma once
// The fallback dialog: a small X window with a caption, lines of text and the buttons of
// a message-box type, on a connection of its own so it reads no one else's events.
#include <string>

#include "platform/com/Types.h"

namespace orvo::window {

// Shows the dialog until it is answered: Return or a click gives the first button (IDOK,
// IDYES), Escape or closing the window the last (IDOK for MB_OK, IDCANCEL, IDNO). 0 at
// once when no display can be reached. owner, when it is a window, keeps the dialog above it.
int ShowMessageDialog(HWND owner, const std::string& text, const std::string& caption, UINT type);

}  // namespace orvo::window
