#include "Program.h"

#include <QFile>
#include <xcb/xcb.h>

#include <utility>

#include "Unit1.h"
#include "Unit2.h"
#include "VideoForm.h"

bool DisplayReachable() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool reachable = connection && !xcb_connection_has_error(connection);
    xcb_disconnect(connection);
    return reachable;
}

// Each window stores itself in its global as it is made.
void CreateForms() {
    new TFormPlayer;
    new TVideoWindow;
    FormPlayer->StartDesktopServices();
}

void DestroyForms() {
    FormPlayer->StopDesktopServices();
    // Closing gives the control strip back to the main window before either is deleted.
    if (VideoWindow && VideoWindow->isVisible()) VideoWindow->close();
    delete std::exchange(VideoWindow, nullptr);
    delete FormPlayer;
}

void OpenFromCommandLine(const CommandLine& line) {
    if (line.file.empty()) return;
    const QString name = QFile::decodeName(QByteArray::fromStdString(line.file));
    FormPlayer->Session->OpenFile(name, line.layout);
}
