#include "ui/folderfiles.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "ui/sortabletablemodel.h"

namespace sonvara {

bool IsTrackFileName(const QString& name) {
    if (name.size() < 3) {
        return false;
    }
    const QString last = name.right(3).toLower();
    return last == QLatin1String("mp3") || last == QLatin1String("wav");
}

QStringList FolderTrackFiles(const QString& folder) {
    QStringList out;
    if (folder.isEmpty()) {
        return out;
    }
    QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo& entry : entries) {
        if (IsTrackFileName(entry.fileName())) {
            out.append(entry.absoluteFilePath());
        }
    }
    const QCollator collator = CSortableTableModel::TextCollator();
    std::stable_sort(out.begin(), out.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return out;
}

std::vector<std::string> TrackFilesOfUrls(const QList<QUrl>& urls) {
    std::vector<std::string> out;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            continue;
        }
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) {
            for (const QString& path : FolderTrackFiles(info.absoluteFilePath())) {
                out.push_back(path.toStdString());
            }
        } else if (info.isFile() && IsTrackFileName(info.fileName())) {
            out.push_back(info.absoluteFilePath().toStdString());
        }
    }
    return out;
}

std::vector<std::string> ToStdPaths(const QStringList& paths) {
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        out.push_back(path.toStdString());
    }
    return out;
}

}  // namespace sonvara
