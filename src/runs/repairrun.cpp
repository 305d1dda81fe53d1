#include "runs/repairrun.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>

#include "check/mp3check.h"
#include "check/mp3repair.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/fileinfo.h"
#include "platform/paths.h"
#include "platform/runinorder.h"
#include "tracks/tracklist.h"

namespace sonvara {

namespace {

constexpr std::int64_t kMaxRepairSize = std::int64_t{1} << 30;

// A worker's result: the repaired copy already written under a temporary name.
struct Prepared {
    RepairResult result;
    std::unique_ptr<CAtomicFile> copy;
    std::string target;
};

std::string JoinPath(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (!path.empty() && !IsPathSeparator(path.back())) {
        path += PreferredSeparator();
    }
    return path.append(name);
}

Prepared Error(std::string text) {
    Prepared p;
    p.result.text = std::move(text);
    return p;
}

Prepared Prepare(const std::string& path, const RepairSettings& settings) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (settings.replace && std::filesystem::is_symlink(status)) {
        return Error("a symbolic link: repair the file it points to");
    }
    CFile in;
    if (!in.Open(path, CFile::Mode::kRead)) {
        return Error("cannot open: " + in.ErrorText());
    }
    const std::int64_t size = in.Size();
    if (size > kMaxRepairSize) {
        return Error("larger than 1 GiB: not repaired");
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(size));
    if (in.ReadAt(0, data.data(), data.size()) != data.size()) {
        return Error("read error: " + (in.ErrorCode() != 0
                                           ? in.ErrorText()
                                           : std::string("the file was cut short")));
    }
    in.Close();
    RepairPlan plan = PlanMp3Repair(data);
    data.clear();
    data.shrink_to_fit();
    Prepared p;
    if (plan.status == RepairPlan::kRefused) {
        p.result.text = plan.reason;
        return p;
    }
    if (plan.status == RepairPlan::kUnchanged) {
        p.result.kind = RepairResult::kOk;
        return p;
    }
    p.target = settings.replace ? path : JoinPath(settings.outputDir, FileNamePart(path));
    p.copy = std::make_unique<CAtomicFile>(p.target);
    FileOpError error;
    if (!p.copy->Create(error)) {
        p.result.text = "cannot write beside " + p.target + ": " + error.text;
        p.result.diskFull = error.diskFull;
        p.copy.reset();
        return p;
    }
    CFile out;
    if (!out.Open(p.copy->TempPath(), CFile::Mode::kReadWrite) ||
        !out.WriteAt(0, plan.output.data(), plan.output.size()) || !out.Close()) {
        p.result.diskFull = out.DiskFull();
        p.result.text = "cannot write " + p.target + ": " + out.ErrorText();
        p.copy.reset();
        return p;
    }
    // The copy must walk clean before it goes anywhere.
    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    if (!check.CheckFile(p.copy->TempPath(), nullptr) || check.GetAudioFrames() == 0) {
        p.result.text = "the repaired copy did not check out; nothing was written";
        p.copy.reset();
        return p;
    }
    p.result.kind = RepairResult::kRepaired;
    p.result.text = plan.done;
    p.result.output = p.target;
    return p;
}

// A name for the original beside it or in the backup folder that nothing holds yet.
bool KeepOriginal(const std::string& path, const RepairSettings& settings, std::string& backup,
                  std::string& why) {
    const std::string base = settings.backupDir.empty()
                                 ? path + ".bak"
                                 : JoinPath(settings.backupDir, FileNamePart(path));
    for (int n = 1; n < 1000; ++n) {
        backup =
            n == 1 ? base : base + (settings.backupDir.empty() ? "." : ".") + std::to_string(n);
        if (::link(path.c_str(), backup.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        if (errno != EXDEV && errno != EPERM && errno != EMLINK) {
            why = "cannot keep the original as " + backup + ": " + std::strerror(errno);
            return false;
        }
        // Another file system (or no hard links there): a copy, complete before it counts.
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(backup, ec))) {
            continue;
        }
        CFile in;
        std::vector<unsigned char> data;
        if (in.Open(path, CFile::Mode::kRead)) {
            data.resize(static_cast<std::size_t>(in.Size()));
            data.resize(in.ReadAt(0, data.data(), data.size()));
        }
        FileOpError error;
        if (data.size() != static_cast<std::size_t>(in.Size()) ||
            !WriteFileAtomically(backup, data.data(), data.size(), error, false)) {
            if (error.code == EEXIST) {
                continue;
            }
            why = "cannot keep the original as " + backup + ": " +
                  (error.text.empty() ? std::string("read error") : error.text);
            return false;
        }
        return true;
    }
    why = "no free backup name beside " + base;
    return false;
}

}  // namespace

std::size_t RunRepair(const std::vector<TrackRecord*>& tracks, const RepairSettings& settings,
                      IRunHost& host, unsigned threads, const RepairedFn& onResult) {
    host.ClearResults();
    host.SetStage(Text(StringId::kStageRepairing));
    std::vector<std::size_t> taken;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        if (CTrackList::IsMp3Path(tracks[i]->path)) {
            taken.push_back(i);
            paths.push_back(tracks[i]->path);
        }
    }
    if (!settings.replace) {
        std::error_code ec;
        std::filesystem::create_directories(settings.outputDir, ec);
    }
    std::set<std::string> targets;  // outputs of this run
    bool diskFull = false;
    std::size_t done = 0;
    const std::size_t delivered = RunTracksInOrder<Prepared>(
        taken.size(), threads, [&](std::size_t i) { return Prepare(paths[i], settings); },
        [&](std::size_t i, Prepared& p) {
            const std::size_t index = taken[i];
            const std::string& path = paths[i];
            host.SetCurrentFile(path);
            RepairResult& r = p.result;
            if (p.copy && !settings.replace) {
                FileId source;
                FileId there;
                const bool exists = GetFileId(p.target, there);
                if (!targets.insert(p.target).second) {
                    r = {RepairResult::kError,
                         "another file of this name was repaired into the folder in this run",
                         {},
                         {},
                         false};
                } else if (exists && GetFileId(path, source) && source == there) {
                    r = {RepairResult::kError,
                         "the output folder holds the original itself",
                         {},
                         {},
                         false};
                } else {
                    bool mayReplace = false;
                    if (exists) {
                        const Answer answer =
                            host.AskOverwrite(Text(StringId::kAskOverwrite, p.target));
                        mayReplace = answer == Answer::kYes;
                        if (answer != Answer::kYes) {
                            r = {RepairResult::kError,
                                 p.target + " exists and is kept",
                                 {},
                                 {},
                                 false};
                        }
                    }
                    FileOpError error;
                    if (r.kind == RepairResult::kRepaired && !p.copy->Commit(error, mayReplace)) {
                        r = {RepairResult::kError,
                             error.kind == FileOpError::Kind::kTargetExists
                                 ? p.target + " appeared meanwhile and is kept"
                                 : p.target + ": " + error.text,
                             {},
                             {},
                             error.diskFull};
                    }
                }
                if (r.kind == RepairResult::kRepaired) {
                    r.text += "; written to " + p.target;
                }
            } else if (p.copy) {
                std::string why;
                if (!KeepOriginal(path, settings, r.backup, why)) {
                    r = {RepairResult::kError, why, {}, {}, false};
                } else {
                    FileOpError error;
                    if (!p.copy->Commit(error, true)) {
                        ::unlink(r.backup.c_str());  // the original is still in its place
                        r = {RepairResult::kError,
                             "cannot replace the original: " + error.text,
                             {},
                             {},
                             error.diskFull};
                    } else {
                        r.text += "; the original is kept as " + r.backup;
                        host.UpdateTrack({index, AnalysedOk, tracks[index]->convertState});
                    }
                }
            }
            p.copy.reset();  // not committed: the temporary file goes
            diskFull = diskFull || r.diskFull;
            const bool bad = r.kind == RepairResult::kError;
            host.AddResult(path, bad ? kColourRed : kColourDefault);
            host.AddResult(r.kind == RepairResult::kRepaired ? Text(StringId::kLineRepaired, r.text)
                           : r.kind == RepairResult::kOk     ? Text(StringId::kLineNothingToRepair)
                                                         : Text(StringId::kLineNotRepaired, r.text),
                           bad ? kColourRed : kColourDefault);
            host.ScrollToEnd();
            host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            if (onResult) {
                onResult(index, r);
            }
            ++done;
        },
        nullptr, [&] { return diskFull || host.IsAborted(); });
    if (delivered < taken.size()) {
        host.AddResult(diskFull ? Text(StringId::kNotEnoughSpace) : Text(StringId::kLineAborted),
                       kColourRed);
    }
    host.SetStage("");
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
    return done;
}

}  // namespace sonvara
