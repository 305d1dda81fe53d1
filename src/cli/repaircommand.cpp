#include "cli/repaircommand.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "cli/collect.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/terminalhost.h"
#include "runs/repairrun.h"
#include "tracks/tracklist.h"

namespace sonvara::cli {

const char* const kRepairHelp =
    "Usage: sonvara-cli repair [-r] [-j N] (--output-dir DIR | --replace [--backup-dir DIR])\n"
    "                          [--yes|--no] PATH...\n"
    "\n"
    "Repairs damaged MP3 files without re-encoding: the ID3v2 tag at the start and the ID3v1,\n"
    "APE and Lyrics3 tags at the end are kept, junk and partial frames are dropped, every\n"
    "intact frame is kept byte for byte (frames of another format than most of the stream are\n"
    "dropped), and a variable-bit-rate file gets a Xing header with the right frame count,\n"
    "byte count and seek table (an existing one is corrected; its LAME tag is kept). Each\n"
    "repaired copy is checked frame by frame before it is put in place. A file with no\n"
    "repairable MPEG stream (random bytes, a WAV file, text) is refused with the reason.\n"
    "\n"
    "Options:\n"
    "  -r, --recursive     also repair the files in sub-folders of each folder\n"
    "  -j, --jobs N        prepare N files at once (default: the number of cores)\n"
    "  --output-dir DIR    write the repaired copies into DIR (made when missing), under\n"
    "                      the originals' names; the originals are not touched\n"
    "  --replace           put each repaired copy in the original's place, in one step; the\n"
    "                      original is kept first, beside it as NAME.bak (NAME.bak.2, ...\n"
    "                      when that name is taken), never overwritten. A symbolic link is\n"
    "                      not replaced\n"
    "  --backup-dir DIR    with --replace: move the originals into DIR instead (made when\n"
    "                      missing; NAME.2, ... when a name is taken)\n"
    "  --yes, --no         replace existing files in the output folder, or keep them\n"
    "                      (default: ask on a terminal, no otherwise)\n"
    "  -h, --help          show this text\n"
    "\n"
    "Output, one line per file in sorted path order, fields separated by a tab:\n"
    "  Repaired<TAB>path<TAB>what was done, and where the copy and the original are\n"
    "  OK<TAB>path                  nothing to repair; nothing was written\n"
    "  Error<TAB>path<TAB>reason    not repaired, and why; nothing was written\n"
    "Paths and reasons are escaped as in 'sonvara-cli analyze'. A full disk ends the run.\n"
    "\n"
    "Exit status: 0 when every file is OK or repaired, 1 otherwise, 2 for a usage error,\n"
    "128 + the signal when stopped.\n";

namespace {

// Result lines come from the run's per-file results, not from its display lines.
class CRepairHost : public CTerminalHost {
public:
    using CTerminalHost::CTerminalHost;
    void AddResult(const std::string&, std::uint32_t) override {}
};

}  // namespace

int RunRepairCommand(const std::vector<std::string>& arguments) {
    bool recursive = false;
    unsigned jobs = DefaultJobCount();
    std::vector<std::string> paths;
    RepairSettings settings;
    bool haveOutput = false;
    OverwritePolicy policy = OverwritePolicy::kAsk;

    COptionReader options(arguments);
    while (options.Next()) {
        if (options.IsPath()) {
            paths.push_back(options.Current());
        } else if (options.Is("-h", "--help")) {
            std::fputs(kRepairHelp, stdout);
            return 0;
        } else if (options.Is("-r", "--recursive")) {
            recursive = true;
        } else if (options.Is("-j", "--jobs")) {
            if (!options.TakeCount(jobs)) {
                return UsageError(options.Error(), "repair");
            }
        } else if (options.Is(nullptr, "--output-dir")) {
            if (!options.TakeValue(settings.outputDir) || settings.outputDir.empty()) {
                return UsageError("--output-dir needs a folder", "repair");
            }
            haveOutput = true;
        } else if (options.Is(nullptr, "--replace")) {
            settings.replace = true;
        } else if (options.Is(nullptr, "--backup-dir")) {
            if (!options.TakeValue(settings.backupDir) || settings.backupDir.empty()) {
                return UsageError("--backup-dir needs a folder", "repair");
            }
        } else if (options.Is(nullptr, "--yes") || options.Is(nullptr, "--no")) {
            policy = options.Current() == "--yes" ? OverwritePolicy::kYes : OverwritePolicy::kNo;
        } else {
            return UsageError("unknown option '" + options.Current() + "'", "repair");
        }
    }
    if (haveOutput == settings.replace) {
        return UsageError("choose one of --output-dir DIR and --replace", "repair");
    }
    if (!settings.backupDir.empty() && !settings.replace) {
        return UsageError("--backup-dir goes with --replace", "repair");
    }
    if (paths.empty()) {
        return UsageError("no file or folder given", "repair");
    }

    InstallInterruptHandler();
    CConsole console;
    CTerminalQuestions questions(console, policy);
    std::vector<std::string> duplicates;
    const std::vector<CollectedPath> items = CollectPaths(paths, ".MP3", recursive, &duplicates);
    for (const std::string& warning : duplicates) {
        console.Message("sonvara-cli: warning: " + EscapeField(warning));
    }
    if (!settings.backupDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(settings.backupDir, ec);
    }
    std::vector<std::unique_ptr<TrackRecord>> owned;
    std::vector<TrackRecord*> records;
    std::vector<std::size_t> itemOfRecord;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].error.empty()) {
            owned.push_back(std::make_unique<TrackRecord>());
            owned.back()->path = items[i].path;
            records.push_back(owned.back().get());
            itemOfRecord.push_back(i);
        }
    }
    std::size_t repaired = 0;
    std::size_t ok = 0;
    std::size_t errors = 0;
    std::size_t next = 0;  // items before it are printed
    const auto refusedBefore = [&](std::size_t end) {
        for (; next < end; ++next) {
            if (!items[next].error.empty()) {
                console.PrintFields({"Error", items[next].path, items[next].error});
                ++errors;
            }
        }
    };
    CRepairHost host(console, questions, records);
    RunRepair(records, settings, host, jobs, [&](std::size_t record, const RepairResult& r) {
        const std::size_t item = itemOfRecord[record];
        refusedBefore(item);
        const std::string& path = items[item].path;
        switch (r.kind) {
            case RepairResult::kRepaired:
                console.PrintFields({"Repaired", path, r.text});
                ++repaired;
                break;
            case RepairResult::kOk:
                console.PrintFields({"OK", path});
                ++ok;
                break;
            default:
                console.PrintFields({"Error", path, r.text});
                ++errors;
                break;
        }
        next = item + 1;
        console.ShowProgress(repaired + ok + errors, items.size(), path);
    });
    const bool complete = repaired + ok + errors + (items.size() - records.size()) >= items.size();
    if (!Interrupted()) {
        refusedBefore(items.size());
    }
    std::fflush(stdout);
    console.Message(std::to_string(repaired + ok + errors) + " of " + std::to_string(items.size()) +
                    " files: " + std::to_string(repaired) + " repaired, " + std::to_string(ok) +
                    " OK, " + std::to_string(errors) + " not repaired" +
                    (Interrupted() ? " (interrupted)" : ""));
    if (Interrupted()) {
        return InterruptedExitStatus();
    }
    return errors == 0 && complete ? 0 : 1;
}

}  // namespace sonvara::cli
