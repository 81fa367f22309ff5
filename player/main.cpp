// OrvoPlayer: the program's entry.
#include <QApplication>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <vector>

#include "AmakritsStyle.h"
#include "Program.h"
#include "Unit1.h"

int main(int argc, char** argv) {
    const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.help) {
        std::fputs(CommandLineUsage(), stdout);
        return 0;
    }
    if (!line.error.empty()) {
        std::fprintf(stderr, "OrvoPlayer: %s\n%s", line.error.c_str(), CommandLineUsage());
        return 2;
    }
    // glibc raises its mmap threshold to each large block freed, so after the first video
    // frames, frames come from per-thread arenas that keep their memory when the decoder's
    // threads end: file after file, the player would grow by hundreds of megabytes.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    // The engine draws into X11 windows: under Wayland too the player is an X client.
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (!DisplayReachable()) {
        std::fprintf(stderr, "OrvoPlayer: cannot open an X display (DISPLAY is unset or unreachable); "
                             "the player needs an X11 or XWayland session\n");
        return 1;
    }
    QApplication application(argc, argv);
    ApplyAmakritsStyle(application);
    CreateForms();
    FormPlayer->show();
    OpenFromCommandLine(line);
    const int status = application.exec();
    DestroyForms();
    return status;
}
