#pragma once

#include <atomic>
#include <cstddef>
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
TrackInfo ReadTrackInfo(const std::string& path, const CStrings& strings = EnglishStrings());

enum class AddOutcome { kAdded, kAlreadyListed, kUnreadable, kCancelled };

struct AddResult {
    std::string path;
    AddOutcome outcome = AddOutcome::kAdded;
    std::string reason;
};

// A file read for the list, not yet in it.
struct ReadTrack {
    std::string path;
    TrackInfo info;
    bool cancelled = false;  // not read: the user stopped before it
};

struct AddOptions {
    bool readTags = true;                                 // "ID3Check"
    const std::atomic<bool>* cancel = nullptr;            // read before each file
    std::function<void(const std::string&)> currentFile;  // the path in work
    std::function<void(int)> progress;                    // at every tenth file
    TrackReader reader;                                   // default: ReadTrackInfo
    // Files read at once (the reader must then be safe to call on several threads); the
    // callbacks still come one at a time, on the calling thread, in path order.
    unsigned threads = 1;
    // The texts of the reasons (a track without audio, a cancelled or listed one); null:
    // English.
    const CStrings* strings = nullptr;
};

// The list's column titles, from the string table ("File", "Check", ... "Path").
std::vector<std::string> ColumnTitles(const CStrings& strings);

// Reads the files for the list, in order, without touching any list (a worker may run it): one
// entry per path; after a stop request every later path is marked cancelled. Any error on one
// path (the reader may throw) makes only that path unreadable.
std::vector<ReadTrack> ReadTrackFiles(const std::vector<std::string>& paths,
                                      const AddOptions& options);

// A name the analysis report may be written under: it ends in ".txt", in any letter case.
bool IsReportFileName(const std::string& file);

// The working list: records in list order, no two with the same path (exact bytes), the
// counts of MP3 and other tracks and of corrupt ones. Looking a path up does not scan the list,
// nor does asking for a count.
class CTrackList {
public:
    // strings: the texts of the report and of the reasons an add gives (English by default).
    explicit CTrackList(const CStrings& strings = EnglishStrings()) : m_Strings(&strings) {}
    const CStrings& Strings() const { return *m_Strings; }

    // Adding is three steps, so that the files can be read off the thread that owns the list:
    // NewPaths (owner) -> ReadTrackFiles (any thread) -> AppendRead (owner). AddTracks does all
    // three at once and reports every path given, in order.
    std::vector<AddResult> AddTracks(const std::vector<std::string>& paths,
                                     const AddOptions& options);
    // The paths that are not listed yet, each once, in order.
    std::vector<std::string> NewPaths(const std::vector<std::string>& paths) const;
    // Appends the readable files (the ones listed meanwhile are refused); a result per entry.
    std::vector<AddResult> AppendRead(std::vector<ReadTrack>&& read, bool readTags);
    // Ascending indices into the list as it was before the call.
    void RemoveTracksAt(const std::vector<std::size_t>& ascending);
    // The list in the order of the paths given; records not named drop out.
    void ReorderByPaths(const std::vector<std::string>& paths);
    // The same by the records themselves (a view that holds them, after it sorted its rows):
    // no path is hashed or copied. Records not named drop out; pointers not in the list are
    // ignored.
    void ReorderByRecords(const std::vector<const TrackRecord*>& order);
    // Counts the MP3, other and corrupt tracks anew (after records were changed in place).
    void RecountTypes();
    // Gives a listed record new states, keeping the corrupt count (a run's host applies its
    // updates through here when it holds the list).
    void SetStates(TrackRecord& record, std::int32_t checkState, std::int32_t convertState);
    // Appends a record whose path is not listed yet; false (and nothing changes) otherwise.
    bool Append(std::unique_ptr<TrackRecord> record);

    bool ContainsPath(const std::string& path) const { return m_Paths.count(path) != 0; }
    static bool IsMp3Path(const std::string& path);
    std::size_t GetTrackCount() const { return m_Tracks.size(); }
    std::int32_t GetMp3Count() const { return m_Mp3Count; }
    std::int32_t GetWavCount() const { return m_WavCount; }
    std::int32_t GetCorruptCount() const { return m_CorruptCount; }
    TrackRecord& At(std::size_t i) { return *m_Tracks[i]; }
    const TrackRecord& At(std::size_t i) const { return *m_Tracks[i]; }
    // The records in list order, for the runs, which change them in place.
    std::vector<TrackRecord*> Records();

    // The analysis results as text: a title line, then seven labelled lines per record.
    std::string ReportText() const;
    // Writes the report, only to a report file name (IsReportFileName); false with the reason
    // otherwise ("" for a name that is not .txt). Line ends are the platform's.
    bool WriteReport(const std::string& file, std::string* error) const;

private:
    const CStrings* m_Strings;
    std::vector<std::unique_ptr<TrackRecord>> m_Tracks;
    std::unordered_set<std::string> m_Paths;
    std::int32_t m_Mp3Count = 0;
    std::int32_t m_WavCount = 0;
    std::int32_t m_CorruptCount = 0;
};

}  // namespace sonvara
