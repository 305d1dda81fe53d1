#include "ui/folderfiles.h"

#include <QCollator>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "ui/pathtext.h"
#include "ui/sortabletablemodel.h"

namespace sonvara {

bool IsTrackFileName(const QString& name) {
    if (name.size() < 3) {
        return false;
    }
    const QString last = name.right(3).toLower();
    return last == QLatin1String("mp3") || last == QLatin1String("wav");
}

namespace {

bool IsTrackFileBytes(std::string_view name) {
    if (name.size() < 3) {
        return false;
    }
    std::string last(name.substr(name.size() - 3));
    for (char& c : last) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return last == "mp3" || last == "wav";
}

}  // namespace

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
        if (!IsTrackFileBytes(name) || it->is_directory(ec)) {
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
        } else if (fs::is_regular_file(path, ec) && IsTrackFileBytes(path.filename().native())) {
            out.push_back(path.native());
        }
    }
    return out;
}

std::vector<std::string> ToStdPaths(const QStringList& paths) {
    return PathBytes(paths);
}

}  // namespace sonvara
