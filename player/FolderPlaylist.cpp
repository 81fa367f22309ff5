#include "FolderPlaylist.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>

namespace {

// The video types of the desktop entry, by their usual extensions.
const QStringList kMediaPatterns = {"*.mkv", "*.mk3d", "*.webm", "*.mp4", "*.m4v", "*.mov", "*.avi", "*.mpg",
                                    "*.mpeg", "*.m2v", "*.ts", "*.m2ts", "*.mts", "*.wmv", "*.flv", "*.ogv",
                                    "*.ogg", "*.ogm", "*.3gp", "*.3g2"};

}  // namespace

QStringList FolderMediaFiles(const QString& folder) {
    QDir dir(folder);
    dir.setNameFilters(kMediaPatterns);
    QStringList names = dir.entryList(QDir::Files | QDir::Readable, QDir::NoSort);
    // The user's language orders the names; the C locale compares code points only, without
    // numbers, so English stands in for it.
    const QLocale user;
    QCollator collator(user.language() == QLocale::C ? QLocale(QLocale::English) : user);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;  // names that differ in case alone keep one order
    });
    for (QString& name : names) name = QDir::cleanPath(dir.absoluteFilePath(name));
    return names;
}

QString NeighbourFile(const QString& file, int step) {
    const QFileInfo info(file);
    const QStringList files = FolderMediaFiles(info.absolutePath());
    const qsizetype at = files.indexOf(QDir::cleanPath(info.absoluteFilePath()));
    if (at < 0 || step == 0) return {};
    const qsizetype next = at + (step > 0 ? 1 : -1);
    return next >= 0 && next < files.size() ? files[next] : QString();
}
