#pragma once
// LeakSanitizer, in the player's test program and in the OrvoPlayer it starts: Qt looks for a
// D-Bus session bus (platform theme, accessibility) and, when there is none, libdbus keeps a
// few blocks for the life of the process. They are the system libraries' own; leaks of this
// tree's code are still reported.
inline constexpr const char* kLeakSuppressions = "leak:libdbus-1.so\n"
                                                 "leak:libQt6DBus.so\n";
