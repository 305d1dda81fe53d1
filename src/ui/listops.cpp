#include "ui/listops.h"

#include <exception>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace sonvara::ui {

std::vector<std::string> NewPaths(const CTrackList& list, const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (!list.ContainsPath(path) && seen.insert(path).second) {
            out.push_back(path);
        }
    }
    return out;
}

std::vector<ReadEntry> ReadEntries(const std::vector<std::string>& paths, bool readTags,
                                   const ReadCallbacks& callbacks) {
    std::vector<ReadEntry> out;
    const std::size_t n = paths.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (callbacks.currentFile) {
            callbacks.currentFile(paths[i]);
        }
        if (callbacks.aborted && callbacks.aborted()) {
            break;
        }
        if (i % 10 == 0 && callbacks.progress) {
            callbacks.progress(static_cast<int>(i * 100 / n));
        }
        try {
            TrackInfo info = ReadTrackInfo(paths[i]);
            if (info.lengthMs <= 0) {
                continue;
            }
            if (!readTags) {
                info.title.clear();
                info.artist.clear();
                info.album.clear();
            }
            out.push_back({paths[i], std::move(info)});
        } catch (const std::exception&) {
            // An unreadable file is left out; the walk goes on.
        }
    }
    return out;
}

std::size_t AppendEntries(CTrackList& list, std::vector<ReadEntry>&& entries) {
    // One pass through the list's own add step over what was read, so that the counts are
    // taken once at the end.
    std::unordered_map<std::string, TrackInfo> read;
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (ReadEntry& entry : entries) {
        paths.push_back(entry.path);
        read.emplace(std::move(entry.path), std::move(entry.info));
    }
    AddOptions options;
    options.readTags = true;  // the tags were dropped while reading when the setting is off
    options.reader = [&read](const std::string& path) { return read.at(path); };
    std::size_t added = 0;
    for (const AddResult& result : list.AddTracks(paths, options)) {
        added += result.outcome == AddOutcome::kAdded ? 1 : 0;
    }
    return added;
}

namespace {
class CMoveHostAdapter : public IMoveHost {
public:
    explicit CMoveHostAdapter(const MoveCallbacks& callbacks) : m_Callbacks(callbacks) {}
    Answer AskOverwrite(const std::string& question) override {
        switch (m_Callbacks.askOverwrite(question)) {
            case OverwriteAnswer::kYes:
                return Answer::kYes;
            case OverwriteAnswer::kNo:
                return Answer::kNo;
            case OverwriteAnswer::kCancel:
                break;
        }
        return Answer::kCancel;
    }
    void ShowError(const std::string& text) override { m_Callbacks.showError(text); }

private:
    const MoveCallbacks& m_Callbacks;
};
}  // namespace

std::size_t MoveCorrupt(CTrackList& list, const std::string& folder, const MoveCallbacks& host) {
    CMoveHostAdapter adapter(host);
    return list.MoveCorruptFiles(folder, adapter);
}

}  // namespace sonvara::ui
