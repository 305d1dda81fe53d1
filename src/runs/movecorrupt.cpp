#include "runs/movecorrupt.h"

#include <filesystem>
#include <set>
#include <vector>

#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/fileinfo.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tracks/tracklist.h"

namespace sonvara {

namespace fs = std::filesystem;

std::size_t MoveCorruptFiles(CTrackList& list, const std::string& folder, IRunHost& host) {
    const CStrings& strings = host.Strings();
    std::vector<std::size_t> moved;
    std::string dir = folder;
    if (!dir.empty() && !IsPathSeparator(dir.back())) {
        dir += PreferredSeparator();
    }
    // A destination folder that does not exist is made, as a conversion makes its track
    // directory.
    std::error_code ec;
    const std::string where = folder.empty() ? std::string(".") : folder;
    if (!fs::is_directory(where, ec)) {
        fs::create_directories(where, ec);
        if (ec || !fs::is_directory(where)) {
            host.ShowMessage(
                strings.Text(StringId::kMoveFolderCannotBeCreated, where,
                             std::error_code(ec.value(), std::generic_category()).message()),
                MessageIcon::kStop);
            return 0;
        }
    }
    // The files this move has put into the folder: a later file of the same name never
    // replaces one of them, whatever the answer to the overwrite question would be.
    std::set<FileId> placed;
    for (std::size_t p = 0; p < list.GetTrackCount(); ++p) {
        const TrackRecord& record = list.At(p);
        if (record.checkState != AnalysedCorrupt) {
            continue;
        }
        const std::string target = dir + std::string(FileNamePart(record.path));
        if (target == record.path || fs::equivalent(target, record.path, ec)) {
            continue;  // already there
        }
        bool replace = false;
        if (fs::exists(fs::symlink_status(target, ec))) {
            FileId there;
            if (GetFileId(target, there) && placed.count(there) != 0) {
                host.ReportError(record.path, strings.Text(StringId::kMoveKeptSameName, target));
                continue;
            }
            const Answer answer = host.AskOverwrite(strings.Text(StringId::kAskOverwrite, target));
            if (answer == Answer::kStop) {
                break;  // the move ends; what was moved stays moved
            }
            if (answer == Answer::kNo || answer == Answer::kCancel) {
                host.ReportError(record.path, strings.Text(StringId::kMoveKeptExisting, target));
                continue;
            }
            replace = true;
        }
        FileOpError failure;
        if (MoveFile(record.path, target, replace, failure)) {
            moved.push_back(p);
            FileId id;
            if (GetFileId(target, id)) {
                placed.insert(id);
            }
        } else {
            host.ReportError(record.path, failure.text);
        }
    }
    list.RemoveTracksAt(moved);
    return moved.size();
}

}  // namespace sonvara
