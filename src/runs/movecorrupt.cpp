#include "runs/movecorrupt.h"

#include <filesystem>
#include <vector>

#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "tracks/tracklist.h"

namespace sonvara {

std::size_t MoveCorruptFiles(CTrackList& list, const std::string& folder, IRunHost& host) {
    std::vector<std::size_t> moved;
    std::string dir = folder;
    if (!dir.empty() && !IsPathSeparator(dir.back())) {
        dir += PreferredSeparator();
    }
    for (std::size_t p = 0; p < list.GetTrackCount(); ++p) {
        const TrackRecord& record = list.At(p);
        if (record.checkState != AnalysedCorrupt) {
            continue;
        }
        const std::string target = dir + std::string(FileNamePart(record.path));
        if (target == record.path) {
            continue;  // already there
        }
        std::error_code ec;
        bool replace = false;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
            if (host.AskOverwrite(Text(StringId::kAskOverwrite, target)) != Answer::kYes) {
                continue;
            }
            replace = true;
        }
        FileOpError failure;
        if (MoveFile(record.path, target, replace, failure)) {
            moved.push_back(p);
        } else {
            host.ShowMessage(failure.text, MessageIcon::kStop);
        }
    }
    list.RemoveTracksAt(moved);
    return moved.size();
}

}  // namespace sonvara
