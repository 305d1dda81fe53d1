#include "cli/analyze.h"

#include <cstdio>
#include <thread>

#include "check/mp3checkjob.h"
#include "cli/collect.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/orderedpool.h"
#include "platform/paths.h"

namespace sonvara::cli {

const char* const kAnalyzeHelp =
    "Usage: sonvara-cli analyze [-r] [-j N] [PATH...]\n"
    "\n"
    "Checks MP3 files frame by frame. Every frame header is located and validated; a file is\n"
    "OK when each frame stands exactly where the previous one ends, Corrupt otherwise.\n"
    "\n"
    "PATH is a file or a folder; a folder contributes its files whose extension is .mp3 (in\n"
    "any letter case). Without PATH, your Music folder is checked. Files are checked and\n"
    "reported in sorted path order.\n"
    "\n"
    "Options:\n"
    "  -r, --recursive   also check the files in sub-folders of each folder\n"
    "  -j, --jobs N      check N files at once (default: the number of cores)\n"
    "  -h, --help        show this text\n"
    "\n"
    "Output, one line per file on standard output, fields separated by a tab:\n"
    "  OK<TAB>path\n"
    "  Corrupt<TAB>path\n"
    "  Error<TAB>path<TAB>reason   the file cannot be read, or holds no MPEG audio frame\n"
    "A summary line goes to standard error, and a progress line when it is a terminal.\n"
    "\n"
    "Exit status: 0 when every file is OK, 1 when any is corrupt or cannot be checked,\n"
    "2 for a usage error, 130 when interrupted (Ctrl+C).\n";

namespace {

struct FileVerdict {
    enum Kind { kOk, kCorrupt, kError } kind = kError;
    std::string reason;
};

FileVerdict CheckOne(const CollectedPath& item) {
    if (!item.error.empty()) {
        return {FileVerdict::kError, item.error};
    }
    CMP3CheckJob job;
    job.SetPath(item.path);
    const bool intact = job.Run(nullptr);
    job.Close();
    const MP3CheckOutcome& outcome = job.GetOutcome();
    if (outcome.openFailed) {
        return {FileVerdict::kError, "cannot open: " + outcome.failureText};
    }
    if (outcome.readFailed) {
        return {FileVerdict::kError, "read error: " + outcome.failureText};
    }
    if (outcome.framesFound == 0) {
        return {FileVerdict::kError, "no MPEG audio frames"};
    }
    return {intact ? FileVerdict::kOk : FileVerdict::kCorrupt, {}};
}

}  // namespace

int RunAnalyze(const std::vector<std::string>& arguments) {
    bool recursive = false;
    unsigned jobs = DefaultJobCount();
    std::vector<std::string> paths;

    COptionReader options(arguments);
    while (options.Next()) {
        if (options.IsPath()) {
            paths.push_back(options.Current());
        } else if (options.Is("-h", "--help")) {
            std::fputs(kAnalyzeHelp, stdout);
            return 0;
        } else if (options.Is("-r", "--recursive")) {
            recursive = true;
        } else if (options.Is("-j", "--jobs")) {
            if (!options.TakeCount(jobs)) {
                return UsageError(options.Error(), "analyze");
            }
        } else {
            return UsageError("unknown option '" + options.Current() + "'", "analyze");
        }
    }
    if (paths.empty()) {
        paths.push_back(MusicFolder());
    }

    InstallInterruptHandler();
    const std::vector<CollectedPath> items = CollectPaths(paths, ".MP3", recursive);
    CConsole console;
    std::size_t ok = 0;
    std::size_t corrupt = 0;
    std::size_t errors = 0;

    const std::size_t delivered = RunInOrder<FileVerdict>(
        items.size(), jobs, [&items](std::size_t i) { return CheckOne(items[i]); },
        [&](std::size_t i, FileVerdict& verdict) {
            switch (verdict.kind) {
                case FileVerdict::kOk:
                    ++ok;
                    console.PrintLine("OK\t" + items[i].path);
                    break;
                case FileVerdict::kCorrupt:
                    ++corrupt;
                    console.PrintLine("Corrupt\t" + items[i].path);
                    break;
                case FileVerdict::kError:
                    ++errors;
                    console.PrintLine("Error\t" + items[i].path + "\t" + verdict.reason);
                    break;
            }
            const std::size_t next = i + 1 < items.size() ? i + 1 : i;
            console.ShowProgress(i + 1, items.size(), items[next].path);
        },
        [&] {}, [] { return Interrupted(); });

    std::fflush(stdout);
    console.Message(std::to_string(delivered) + " of " + std::to_string(items.size()) +
                    " files checked: " + std::to_string(ok) + " OK, " +
                    std::to_string(corrupt) + " corrupt, " + std::to_string(errors) +
                    " could not be checked" + (Interrupted() ? " (interrupted)" : ""));
    if (Interrupted()) {
        return 130;
    }
    return corrupt == 0 && errors == 0 ? 0 : 1;
}

}  // namespace sonvara::cli
