#include "cli/analyze.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <unordered_map>

#include "cli/collect.h"
#include "cli/console.h"
#include "cli/json.h"
#include "cli/options.h"
#include "cli/terminalhost.h"
#include "jobs/strings.h"
#include "platform/paths.h"
#include "profile/qtprofilestore.h"
#include "runs/analysisrun.h"
#include "runs/movecorrupt.h"
#include "runs/runhelpers.h"
#include "tracks/settings.h"
#include "tracks/tracklist.h"

namespace sonvara::cli {

const char* const kAnalyzeHelp =
    "Usage: sonvara-cli analyze [-r] [-j N] [--decode] [--details|--json] [PATH...]\n"
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
    "  --decode          also decode every frame (libmpg123): a frame the decoder rejects or\n"
    "                    passes over, or whose main data begins before the stream does, is\n"
    "                    an error finding (decode_error) and makes the file Corrupt\n"
    "  --details         follow each result line with the file's findings, one line each,\n"
    "                    starting with a tab:\n"
    "                    <TAB>severity<TAB>kind<TAB>time<TAB>offset<TAB>frame<TAB>bytes<TAB>text\n"
    "                    (severity 'error' makes a file Corrupt, 'warning' leaves it OK)\n"
    "  --json            instead of result lines, one JSON object per file and line:\n"
    "                    path, verdict (OK, Corrupt, Error), reason (Error only), frames,\n"
    "                    length_ms, findings [{kind, severity, offset, frame, time_ms,\n"
    "                    bytes, text}]; a path that is not valid UTF-8 has its invalid\n"
    "                    bytes as U+FFFD in path and all its bytes in hex in path_bytes\n"
    "  --report FILE     afterwards write the analysis results (a .txt file) with the\n"
    "                    length and tags of each file; files that could not be checked are\n"
    "                    named on standard error ('not in the report: path: reason')\n"
    "  --move-corrupt DIR  afterwards move the corrupt files into DIR (made when missing);\n"
    "                    a file moved in the same run is never replaced, a relative link is\n"
    "                    not moved; each file that stays is named ('not moved: path: reason')\n"
    "  --yes, --no       replace an existing report or files of the same name in DIR, or\n"
    "                    keep them (default: ask on a terminal, no otherwise; an existing\n"
    "                    report kept means nothing is checked; at a moved file's question\n"
    "                    [n]o and [c]ancel keep it and go on, [q]uit ends the move)\n"
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

enum class Verdict { kNone, kOk, kCorrupt, kError };
enum class Output { kLines, kDetails, kJson };

// The finding lines of --details.
void PrintFindings(CConsole& console, const CheckVerdict& checked) {
    for (const Finding& f : checked.findings) {
        console.PrintLine("\t" + std::string(FindingSeverityName(f.severity)) + "\t" +
                          FindingKindName(f.kind) + "\t" + FormatTimeMs(f.timeMs) + "\t" +
                          std::to_string(f.offset) + "\t" + std::to_string(f.frame) + "\t" +
                          std::to_string(f.bytes) + "\t" + EscapeField(f.text));
    }
    if (checked.findingsLeftOut > 0) {
        console.PrintLine("\twarning\tmore_findings\t\t\t\t\t" +
                          std::to_string(checked.findingsLeftOut) + " more findings not listed");
    }
}

// One line of --json.
std::string JsonLine(const std::string& path, const char* verdict, const std::string& reason,
                     const CheckVerdict& checked) {
    std::string line = "{" + JsonPathMembers(path) + ",\"verdict\":\"" + verdict + "\"";
    if (!reason.empty()) {
        return line + ",\"reason\":" + JsonString(reason) + "}";
    }
    line += ",\"frames\":" + std::to_string(checked.frames) +
            ",\"length_ms\":" + std::to_string(checked.lengthMs) + ",\"findings\":[";
    for (std::size_t i = 0; i < checked.findings.size(); ++i) {
        const Finding& f = checked.findings[i];
        line += std::string(i > 0 ? "," : "") + "{\"kind\":\"" + FindingKindName(f.kind) +
                "\",\"severity\":\"" + FindingSeverityName(f.severity) +
                "\",\"offset\":" + std::to_string(f.offset) +
                ",\"frame\":" + std::to_string(f.frame) +
                ",\"time_ms\":" + std::to_string(f.timeMs) +
                ",\"bytes\":" + std::to_string(f.bytes) + ",\"text\":" + JsonString(f.text) + "}";
    }
    line += "]";
    if (checked.findingsLeftOut > 0) {
        line += ",\"findings_left_out\":" + std::to_string(checked.findingsLeftOut);
    }
    return line + "}";
}

// The analysis run's host for the batch front end: one line per file on standard output, in
// sorted path order, with the files that were refused before the run at their places.
class CAnalyzeHost : public CQuietRunHost {
public:
    CAnalyzeHost(CConsole& console, const std::vector<CollectedPath>& items,
                 std::vector<TrackRecord*> records, std::vector<std::size_t> itemOfRecord)
        : m_Console(console),
          m_Items(items),
          m_Records(std::move(records)),
          m_ItemOfRecord(std::move(itemOfRecord)),
          verdicts(items.size(), Verdict::kNone),
          reasons(items.size()),
          checked(items.size()) {
        for (std::size_t r = 0; r < m_Records.size(); ++r) {
            m_RecordOfPath.emplace(m_Records[r]->path, r);
        }
    }

    bool IsAborted() override { return Interrupted(); }
    void ShowMessage(const std::string& text, MessageIcon) override { m_Console.Message(text); }
    void ReportError(const std::string& path, const std::string& reason) override {
        const auto it = m_RecordOfPath.find(path);
        if (it != m_RecordOfPath.end()) {
            Print(m_ItemOfRecord[it->second], Verdict::kError, reason);
        }
    }
    void UpdateTrack(const TrackUpdate& update) override {
        ApplyTrackUpdate(m_Records, update);
        if (update.index < m_Records.size() && update.checkState != NotAnalysed) {
            Print(m_ItemOfRecord[update.index],
                  update.checkState == AnalysedOk ? Verdict::kOk : Verdict::kCorrupt, {});
        }
    }
    void RunEnded() override {
        if (!Interrupted()) {
            FlushRefusedBefore(m_Items.size());
        }
    }

    std::size_t Count(Verdict kind) const {
        return static_cast<std::size_t>(std::count(verdicts.begin(), verdicts.end(), kind));
    }

private:
    // The files refused before the run that stand before item `end` in the output order.
    void FlushRefusedBefore(std::size_t end) {
        for (; m_Next < end; ++m_Next) {
            if (!m_Items[m_Next].error.empty()) {
                Line(m_Next, Verdict::kError, m_Items[m_Next].error);
            }
        }
    }
    void Print(std::size_t item, Verdict kind, const std::string& reason) {
        FlushRefusedBefore(item);
        Line(item, kind, reason);
        m_Next = std::max(m_Next, item + 1);
        ++m_Done;
        const std::size_t next = item + 1 < m_Items.size() ? item + 1 : item;
        m_Console.ShowProgress(m_Done, m_Records.size(), m_Items[next].path);
    }
    void Line(std::size_t item, Verdict kind, const std::string& reason) {
        verdicts[item] = kind;
        reasons[item] = reason;
        const std::string& path = m_Items[item].path;
        if (output == Output::kJson) {
            const char* word = kind == Verdict::kOk        ? "OK"
                               : kind == Verdict::kCorrupt ? "Corrupt"
                                                           : "Error";
            m_Console.PrintLine(
                JsonLine(path, word, kind == Verdict::kError ? reason : "", checked[item]));
        } else {
            switch (kind) {
                case Verdict::kOk: m_Console.PrintFields({"OK", path}); break;
                case Verdict::kCorrupt: m_Console.PrintFields({"Corrupt", path}); break;
                default: m_Console.PrintFields({"Error", path, reason}); break;
            }
            if (output == Output::kDetails && kind != Verdict::kError) {
                PrintFindings(m_Console, checked[item]);
            }
        }
        checked[item] = {};  // printed: its findings are no longer needed
    }

    CConsole& m_Console;
    const std::vector<CollectedPath>& m_Items;
    std::vector<TrackRecord*> m_Records;
    std::vector<std::size_t> m_ItemOfRecord;
    std::unordered_map<std::string, std::size_t> m_RecordOfPath;
    std::size_t m_Next = 0;
    std::size_t m_Done = 0;

public:
    std::vector<Verdict> verdicts;      // per item
    std::vector<std::string> reasons;   // per item: why it could not be checked
    std::vector<CheckVerdict> checked;  // per item: frames, length and findings until printed
    Output output = Output::kLines;

    // The run's verdict with its findings, heard before the host's UpdateTrack for it.
    void Checked(std::size_t record, const CheckVerdict& verdict) {
        if (output != Output::kLines) {
            checked[m_ItemOfRecord[record]] = verdict;
        }
    }
};

// Moving corrupt files on a terminal: each file that stays where it was is named, with the
// reason, on standard error.
class CMoveHost : public CTerminalHost {
public:
    using CTerminalHost::CTerminalHost;
    void ReportError(const std::string& path, const std::string& reason) override {
        ++failures;
        m_Console.Message("not moved: " + EscapeField(path) + ": " + EscapeField(reason));
    }
};

}  // namespace

int RunAnalyze(const std::vector<std::string>& arguments) {
    bool recursive = false;
    unsigned jobs = DefaultJobCount();
    std::vector<std::string> paths;
    std::string reportFile;
    std::string moveFolder;
    OverwritePolicy policy = OverwritePolicy::kAsk;
    Output output = Output::kLines;
    bool decode = false;

    COptionReader options(arguments);
    while (options.Next()) {
        if (options.IsPath()) {
            paths.push_back(options.Current());
        } else if (options.Is("-h", "--help")) {
            std::fputs(kAnalyzeHelp, stdout);
            return 0;
        } else if (options.Is("-r", "--recursive")) {
            recursive = true;
        } else if (options.Is(nullptr, "--decode")) {
            decode = true;
        } else if (options.Is(nullptr, "--details") || options.Is(nullptr, "--json")) {
            const Output wanted = options.Current() == "--json" ? Output::kJson : Output::kDetails;
            if (output != Output::kLines && output != wanted) {
                return UsageError("--details and --json exclude each other", "analyze");
            }
            output = wanted;
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
    CConsole console;
    CTerminalQuestions questions(console, policy);
    // An existing report is replaced only when the user agrees (--yes), asked before the
    // analysis so that a long run does not end at a question.
    std::error_code ec;
    if (!reportFile.empty() &&
        std::filesystem::exists(std::filesystem::symlink_status(reportFile, ec))) {
        if (questions.Ask(EnglishStrings().Text(StringId::kAskOverwrite, reportFile)) != 0) {
            console.Message("sonvara-cli analyze: " + EscapeField(reportFile) +
                            " exists and is kept; nothing was checked (--yes replaces it)");
            return 1;
        }
    }
    std::vector<std::string> duplicates;
    const std::vector<CollectedPath> items = CollectPaths(paths, ".MP3", recursive, &duplicates);
    for (const std::string& warning : duplicates) {
        console.Message("sonvara-cli: warning: " + EscapeField(warning));
    }
    // The files to check as bare records (no tags read): the run itself gives the verdicts.
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
    CAnalyzeHost host(console, items, records, itemOfRecord);
    host.output = output;
    RunAnalysis(
        records, host, jobs,
        [&host](std::size_t record, const CheckVerdict& v) { host.Checked(record, v); }, decode);
    const std::size_t ok = host.Count(Verdict::kOk);
    const std::size_t corrupt = host.Count(Verdict::kCorrupt);
    const std::size_t errors = host.Count(Verdict::kError);
    const std::vector<Verdict>& verdicts = host.verdicts;

    std::fflush(stdout);
    console.Message(std::to_string(ok + corrupt + errors) + " of " + std::to_string(items.size()) +
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
        for (const std::string& problem : settings.InvalidValues()) {
            console.Message("sonvara-cli: " + problem);
        }
        AddOptions add;
        add.readTags = settings.GetID3Check();
        std::vector<std::string> checked;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (verdicts[i] == Verdict::kOk || verdicts[i] == Verdict::kCorrupt) {
                checked.push_back(items[i].path);
            } else if (!reportFile.empty()) {
                // Named, with the reason, so that the report's silence is never taken as OK.
                console.Message("not in the report: " + EscapeField(items[i].path) + ": " +
                                EscapeField(host.reasons[i]));
            }
        }
        CTrackList list;
        for (const AddResult& r : list.AddTracks(checked, add)) {
            if (r.outcome == AddOutcome::kUnreadable) {
                console.Message("not in the report: " + EscapeField(r.path) + ": " +
                                EscapeField(r.reason));
            }
        }
        for (std::size_t i = 0, r = 0; i < items.size() && r < list.GetTrackCount(); ++i) {
            if (list.At(r).path == items[i].path) {
                list.At(r++).checkState =
                    verdicts[i] == Verdict::kOk ? AnalysedOk : AnalysedCorrupt;
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
            CMoveHost moveHost(console, questions);
            const std::size_t moved = MoveCorruptFiles(list, moveFolder, moveHost);
            console.Message(std::to_string(moved) + " corrupt files moved to " + moveFolder);
            afterwardsFailed = afterwardsFailed || moveHost.failures > 0;
        }
    }
    return corrupt == 0 && errors == 0 && !afterwardsFailed ? 0 : 1;
}

}  // namespace sonvara::cli
