#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sonvara {

class IRunHost;
struct TrackRecord;

// Where repaired copies go. With replace false, into outputDir under the original's name;
// with replace true, in the original's place, the original kept first: moved into backupDir
// when one is given, else beside it as NAME.bak (NAME.bak.2, ... when that is taken).
struct RepairSettings {
    std::string outputDir;
    bool replace = false;
    std::string backupDir;
};

struct RepairResult {
    enum Kind { kRepaired, kOk, kError } kind = kError;
    std::string text;    // kRepaired: what was done; kError: why nothing was written
    std::string output;  // kRepaired: where the repaired file is
    std::string backup;  // kRepaired with replace: where the original is now
    bool diskFull = false;
};

// The repair run over MP3 records, in list order: each file is read and planned (see
// PlanMp3Repair), the copy written under a temporary name and walked by the checker, and only
// when it is intact put in place. An existing output is replaced only when the host agrees
// (AskOverwrite); a second file of the same output name in one run is refused; a source that
// is a symbolic link is not replaced (its target may be shared). The host hears result lines
// (AddResult) and, for a file replaced in place, the record's new check state; onResult, when
// given, hears each file's result on the run's thread. A full disk or a stop ends the run.
// Returns how many files got a result.
using RepairedFn = std::function<void(std::size_t index, const RepairResult& result)>;
std::size_t RunRepair(const std::vector<TrackRecord*>& tracks, const RepairSettings& settings,
                      IRunHost& host, unsigned threads = 1, const RepairedFn& onResult = {});

}  // namespace sonvara
