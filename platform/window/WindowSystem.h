#pragma once
// Window-system operations on X11 window ids. Every call is safe from any thread and fails
// cleanly (FALSE, 0) when no display can be reached.
#include "platform/com/Types.h"
#include "platform/window/Rect.h"

// The active top-level window when it belongs to this process, else 0. X has no
// per-thread windows, so "the calling thread's" is taken as "this process's": the engine
// must never adopt another program's window as its default.
HWND GetActiveWindow();

// Whether window names an existing window.
BOOL IsWindow(HWND window);
// The window's inside, {0, 0, width, height}.
BOOL GetClientRect(HWND window, RECT* rect);
// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND window, RECT* rect);

constexpr UINT SPI_GETWORKAREA = 0x0030;
// SPI_GETWORKAREA only: the work area of the primary monitor (the monitor minus the panels
// the window manager reserves) into the RECT that param points at.
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* param, UINT winIni);
