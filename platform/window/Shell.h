#pragma once
// The shell's "open" verb: hands a file or address to the desktop's opener, xdg-open.
#include "platform/com/Types.h"

using HINSTANCE = intptr_t;

constexpr int SW_SHOWNORMAL = 1;
constexpr HINSTANCE SE_ERR_FNF = 2;         // the opener could not be started
constexpr HINSTANCE SE_ERR_NOASSOC = 31;    // a verb other than "open"
constexpr HINSTANCE SE_ERR_STARTED = 42;    // any value above 32 means success

// Starts `xdg-open file` and returns at once with a value above 32, or an SE_ERR_ code.
// The opener runs detached; its exit is collected in the background. A null verb means
// "open"; parameters and directory are not passed (xdg-open takes the file alone).
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, int show);
