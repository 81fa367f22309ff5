#pragma once
// The program's windows and its start: the main window first (it starts the engine), then
// the hidden full-screen window; torn down in the reverse order.
#include "CommandLine.h"

// Whether an X display (X11, or XWayland in a Wayland session) can be reached.
bool DisplayReachable();

void CreateForms();
void DestroyForms();

// Opens the command line's file as the matching menu open would.
void OpenFromCommandLine(const CommandLine& line);
