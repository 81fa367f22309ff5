#pragma once
// Window-system operations on X11 window ids.
#include "platform/com/Types.h"

// The active top-level window when it belongs to this process, else 0. X has no
// per-thread windows, so "the calling thread's" is taken as "this process's": the engine
// must never adopt another program's window as its default.
HWND GetActiveWindow();
