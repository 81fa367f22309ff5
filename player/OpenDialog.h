#pragma once
// TOpenDialog: the open-file dialog of the main window (default options, no file-type
// filter). Tests answer it through Chooser, since a modal file dialog cannot be driven
// from the test's own thread. GUI thread only.
#include <QString>
#include <functional>

class QWidget;

class TOpenDialog {
public:
    // Shows the dialog owned by owner; true with FileName set when a file was chosen.
    bool Execute(QWidget* owner);

    QString FileName;

    // Answers in place of the dialog when set: the chosen name, or empty for a cancel.
    static std::function<QString()> Chooser;
};
