#include "cli/analyze.h"

#include <cstdio>
#include <thread>

#include "app/qtprofilestore.h"
#include "check/mp3checkjob.h"
#include "cli/collect.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/terminalhost.h"
#include "convert/runinorder.h"
#include "platform/paths.h"
#include "tracks/settings.h"
#include "tracks/tracklist.h"

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
    "  --report FILE     afterwards write the analysis results (a .txt file) with the\n"
    "                    length and tags of each file\n"
    "  --move-corrupt DIR  afterwards move the corrupt files into DIR\n"
    "  --yes, --no       replace files of the same name in DIR, or keep them (default:\n"
    "                    ask on a terminal, no otherwise)\n"
    "  -h, --help        show this text\n"
    "\n"
    "Output, one line per file on standard output, fields separated by a tab:\n"
    "  OK<TAB>path\n"
    "  Corrupt<TAB>path\n"
    "  Error<TAB>path<TAB>reason   the file cannot be read, or holds no MPEG audio frame\n"
    "In a path or reason, a tab, line feed, carriage return and backslash are written as\n"
    "\\t, \\n, \\r and \\\\ (other control bytes as \\xNN), so each file is one line.\n"
    "A summary line goes to standard error, and a progress line when it is a terminal.\n"
    "\n"
    "Exit status: 0 when every file is OK, 1 when any is corrupt or cannot be checked,\n"
    "2 for a usage error, 128 + the signal when stopped by Ctrl+C (130), SIGHUP (129) or\n"
    "SIGTERM (143).\n";

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
    std::string reportFile;
    std::string moveFolder;
    OverwritePolicy policy = OverwritePolicy::kAsk;

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
        } else if (options.Is(nullptr, "--report")) {
            if (!options.TakeValue(reportFile)) {
                return UsageError(options.Error(), "analyze");
            }
            if (UpperExtension(reportFile) != ".TXT") {
                return UsageError("the report is written only to a .txt file", "analyze");
            }
        } else if (options.Is(nullptr, "--move-corrupt")) {
            if (!options.TakeValue(moveFolder)) {
                return UsageError(options.Error(), "analyze");
            }
        } else if (options.Is(nullptr, "--yes") || options.Is(nullptr, "--no")) {
            policy = options.Current() == "--yes" ? OverwritePolicy::kYes : OverwritePolicy::kNo;
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
    std::vector<FileVerdict::Kind> verdicts(items.size(), FileVerdict::kError);

    const std::size_t delivered = RunTracksInOrder<FileVerdict>(
        items.size(), jobs, [&items](std::size_t i) { return CheckOne(items[i]); },
        [&](std::size_t i, FileVerdict& verdict) {
            verdicts[i] = verdict.kind;
            switch (verdict.kind) {
                case FileVerdict::kOk:
                    ++ok;
                    console.PrintFields({"OK", items[i].path});
                    break;
                case FileVerdict::kCorrupt:
                    ++corrupt;
                    console.PrintFields({"Corrupt", items[i].path});
                    break;
                case FileVerdict::kError:
                    ++errors;
                    console.PrintFields({"Error", items[i].path, verdict.reason});
                    break;
            }
            const std::size_t next = i + 1 < items.size() ? i + 1 : i;
            console.ShowProgress(i + 1, items.size(), items[next].path);
        },
        [&] {}, [] { return Interrupted(); });

    std::fflush(stdout);
    console.Message(std::to_string(delivered) + " of " + std::to_string(items.size()) +
                    " files checked: " + std::to_string(ok) + " OK, " + std::to_string(corrupt) +
                    " corrupt, " + std::to_string(errors) + " could not be checked" +
                    (Interrupted() ? " (interrupted)" : ""));
    if (Interrupted()) {
        return InterruptedExitStatus();
    }
    bool afterwardsFailed = false;
    if (!reportFile.empty() || !moveFolder.empty()) {
        // The report and the move need the list with lengths and tags.
        const auto store = CQtProfileStore::ForPrograms();
        CSettings settings(*store);
        AddOptions add;
        add.readTags = settings.GetID3Check();
        std::vector<std::string> checked;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (verdicts[i] != FileVerdict::kError) {
                checked.push_back(items[i].path);
            }
        }
        CTrackList list;
        for (const AddResult& r : list.AddTracks(checked, add)) {
            if (r.outcome == AddOutcome::kUnreadable) {
                console.Message("not in the report: " + r.path + ": " + r.reason);
            }
        }
        for (std::size_t i = 0, r = 0; i < items.size() && r < list.GetTrackCount(); ++i) {
            if (list.At(r).path == items[i].path) {
                list.At(r++).checkState =
                    verdicts[i] == FileVerdict::kOk ? AnalysedOk : AnalysedCorrupt;
            }
        }
        if (!reportFile.empty()) {
            std::string error;
            if (!list.WriteReport(reportFile, &error)) {
                console.Message(error);
                afterwardsFailed = true;
            }
        }
        if (!moveFolder.empty()) {
            CTerminalQuestions questions(console, policy);
            CTerminalMoveHost host(console, questions);
            const std::size_t moved = list.MoveCorruptFiles(moveFolder, host);
            console.Message(std::to_string(moved) + " corrupt files moved to " + moveFolder);
            afterwardsFailed = afterwardsFailed || host.failures > 0;
        }
    }
    return corrupt == 0 && errors == 0 && !afterwardsFailed ? 0 : 1;
}

}  // namespace sonvara::cli
