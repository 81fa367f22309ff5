#include "OpenDialog.h"

#include <QFileDialog>

std::function<QString()> TOpenDialog::Chooser;

bool TOpenDialog::Execute(QWidget* owner) {
    const QString chosen = Chooser ? Chooser() : QFileDialog::getOpenFileName(owner);
    if (chosen.isEmpty()) return false;
    FileName = chosen;
    return true;
}
