#pragma once
// The folder of an open file as a playlist: its media files in natural order, so that
// "episode 2" comes before "episode 10". GUI thread only (the collator is not shared).
#include <QString>
#include <QStringList>

// The media files of the folder, by extension, in natural order of their names.
QStringList FolderMediaFiles(const QString& folder);

// The media file step places after (step > 0) or before the file in its folder; empty when
// there is none there, or the file's folder cannot be read.
QString NeighbourFile(const QString& file, int step);
