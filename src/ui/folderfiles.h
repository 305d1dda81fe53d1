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
// A folder that does not exist or cannot be read gives an empty list. Paths in and out are
// path texts (ui/pathtext.h): names that are not UTF-8 are listed and kept byte for byte.
QStringList FolderTrackFiles(const QString& folder);

// The track files named by dropped URLs: files that count as track files, and the track files
// of dropped folders, in the order dropped; the paths' bytes as the URLs give them.
std::vector<std::string> TrackFilesOfUrls(const QList<QUrl>& urls);

// Path texts back to the paths' bytes.
std::vector<std::string> ToStdPaths(const QStringList& paths);

}  // namespace sonvara
