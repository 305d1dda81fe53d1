#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <string>
#include <vector>

namespace sonvara {

// Whether a file name counts as a track file: its last three characters are "mp3" or "wav" in
// any letter case, with or without a dot before them.
bool IsTrackFileName(const QString& name);

// The track files of one folder (not its subfolders), full paths sorted case-insensitively.
// A folder that does not exist or cannot be read gives an empty list.
QStringList FolderTrackFiles(const QString& folder);

// The track files named by dropped URLs: files that count as track files, and the track files
// of dropped folders, in the order dropped.
std::vector<std::string> TrackFilesOfUrls(const QList<QUrl>& urls);

std::vector<std::string> ToStdPaths(const QStringList& paths);

}  // namespace sonvara
