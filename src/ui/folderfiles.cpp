#include "ui/folderfiles.h"

#include <QCollator>

#include <algorithm>
#include <filesystem>

#include "audio/trackkind.h"
#include "ui/pathtext.h"
#include "ui/sortabletablemodel.h"

namespace sonvara {

bool IsTrackFileName(const QString& name) {
    return IsTrackFileName(std::string_view(PathBytes(name)));
}

QStringList FolderTrackFiles(const QString& folder) {
    namespace fs = std::filesystem;
    QStringList out;
    if (folder.isEmpty()) {
        return out;
    }
    // Listed as bytes: a name that is not UTF-8 is a track file like any other.
    std::error_code ec;
    for (fs::directory_iterator it(fs::absolute(PathBytes(folder), ec), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().native();
        if (!IsTrackFileName(std::string_view(name)) || it->is_directory(ec)) {
            ec.clear();
            continue;
        }
        out.append(PathText(it->path().native()));
    }
    const QCollator collator = CSortableTableModel::TextCollator();
    std::stable_sort(out.begin(), out.end(), [&](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    return out;
}

std::vector<std::string> TrackFilesOfUrls(const QList<QUrl>& urls) {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            continue;
        }
        std::error_code ec;
        const fs::path path = fs::absolute(UrlPathBytes(url), ec);
        if (ec) {
            continue;
        }
        if (fs::is_directory(path, ec)) {
            for (const QString& file : FolderTrackFiles(PathText(path.native()))) {
                out.push_back(PathBytes(file));
            }
        } else if (fs::is_regular_file(path, ec) &&
                   IsTrackFileName(std::string_view(path.filename().native()))) {
            out.push_back(path.native());
        }
    }
    return out;
}

std::vector<std::string> ToStdPaths(const QStringList& paths) {
    return PathBytes(paths);
}

}  // namespace sonvara
