#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "tracks/trackrecord.h"

namespace sonvara {

// What reading a file for the list gives: its length (0: not listable) and tag texts.
struct TrackInfo {
    std::int32_t lengthMs = 0;
    std::string title;
    std::string artist;
    std::string album;
    std::string error;  // why the length is 0, when known
};
using TrackReader = std::function<TrackInfo(const std::string& path)>;

// Opens the file through the audio file model (the kind by extension) for its length and tags.
TrackInfo ReadTrackInfo(const std::string& path);

enum class AddOutcome { kAdded, kAlreadyListed, kUnreadable, kCancelled };

struct AddResult {
    std::string path;
    AddOutcome outcome = AddOutcome::kAdded;
    std::string reason;
};

struct AddOptions {
    bool readTags = true;                                   // "ID3Check"
    const std::atomic<bool>* cancel = nullptr;              // read before each file
    std::function<void(const std::string&)> currentFile;    // the path in work
    std::function<void(int)> progress;                      // at every tenth file
    TrackReader reader;                                     // default: ReadTrackInfo
};

// Answers and reports that moving corrupt files needs from whoever runs it.
class IMoveHost {
public:
    enum class Answer { kYes, kNo, kCancel };
    virtual ~IMoveHost() = default;
    // "The file \n%s\nalready exists, should it overwrite ?"
    virtual Answer AskOverwrite(const std::string& question) = 0;
    virtual void ShowError(const std::string& text) = 0;
};

// The working list: records in list order, no two with the same path (exact bytes), and the
// counts of MP3 and other tracks. Looking a path up does not scan the list.
class CTrackList {
public:
    std::vector<AddResult> AddTracks(const std::vector<std::string>& paths,
                                     const AddOptions& options);
    // Ascending indices into the list as it was before the call.
    void RemoveTracksAt(const std::vector<std::size_t>& ascending);
    // The list in the order of the paths given (records not named drop out); no recount.
    void ReorderByPaths(const std::vector<std::string>& paths);
    void RecountTypes();
    // Appends a record whose path is not listed yet; false (and nothing changes) otherwise.
    bool Append(std::unique_ptr<TrackRecord> record);

    bool ContainsPath(const std::string& path) const { return m_Paths.count(path) != 0; }
    static bool IsMp3Path(const std::string& path);
    std::size_t GetTrackCount() const { return m_Tracks.size(); }
    std::int32_t GetMp3Count() const { return m_Mp3Count; }
    std::int32_t GetWavCount() const { return m_WavCount; }
    TrackRecord& At(std::size_t i) { return *m_Tracks[i]; }
    const TrackRecord& At(std::size_t i) const { return *m_Tracks[i]; }
    // The records in list order, for the runs, which change them in place.
    std::vector<TrackRecord*> Records();

    // The analysis results as text: a title line, then seven labelled lines per record.
    std::string ReportText() const;
    // Writes the report, only to a name ending in ".txt" (any case); false with the reason
    // otherwise ("" for a name that is not .txt). Line ends are the platform's.
    bool WriteReport(const std::string& file, std::string* error) const;
    // Moves every corrupt file into the folder, asking before replacing; moved records leave
    // the list. Returns how many were moved.
    std::size_t MoveCorruptFiles(const std::string& folder, IMoveHost& host);

private:
    std::vector<std::unique_ptr<TrackRecord>> m_Tracks;
    std::unordered_set<std::string> m_Paths;
    std::int32_t m_Mp3Count = 0;
    std::int32_t m_WavCount = 0;
};

}  // namespace sonvara
