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
#include "runs/trackresult.h"
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

Prepared Prepare(const std::string& path, const RepairSettings& settings, const CStrings& strings) {
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (settings.replace && std::filesystem::is_symlink(status)) {
        return Error(strings.Text(StringId::kRepairSymlink));
    }
    CFile in;
    if (!in.Open(path, CFile::Mode::kRead)) {
        return Error(strings.Text(StringId::kReasonCannotOpen, in.ErrorText()));
    }
    const std::int64_t size = in.Size();
    if (size > kMaxRepairSize) {
        return Error(strings.Text(StringId::kRepairTooLarge));
    }
    std::vector<unsigned char> data(static_cast<std::size_t>(size));
    if (in.ReadAt(0, data.data(), data.size()) != data.size()) {
        return Error(strings.Text(
            StringId::kReasonReadError,
            in.ErrorCode() != 0 ? in.ErrorText() : strings.Text(StringId::kReasonCutShort)));
    }
    in.Close();
    RepairPlan plan = PlanMp3Repair(data, strings);
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
        p.result.text = strings.Text(StringId::kRepairCannotWriteBeside, p.target, error.text);
        p.result.diskFull = error.diskFull;
        p.copy.reset();
        return p;
    }
    CFile out;
    if (!out.Open(p.copy->TempPath(), CFile::Mode::kReadWrite) ||
        !out.WriteAt(0, plan.output.data(), plan.output.size()) || !out.Close()) {
        p.result.diskFull = out.DiskFull();
        p.result.text = strings.Text(StringId::kRepairCannotWrite, p.target, out.ErrorText());
        p.copy.reset();
        return p;
    }
    // The copy must walk clean before it goes anywhere.
    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    if (!check.CheckFile(p.copy->TempPath(), nullptr) || check.GetAudioFrames() == 0) {
        p.result.text = strings.Text(StringId::kRepairCopyBad);
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
                  std::string& why, const CStrings& strings) {
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
            why = strings.Text(StringId::kRepairCannotKeep, backup, std::strerror(errno));
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
            why = strings.Text(
                StringId::kRepairCannotKeep, backup,
                error.text.empty() ? strings.Text(StringId::kReasonReadFailed) : error.text);
            return false;
        }
        return true;
    }
    why = strings.Text(StringId::kRepairNoBackupName, base);
    return false;
}

}  // namespace

std::size_t RunRepair(const std::vector<TrackRecord*>& tracks, const RepairSettings& settings,
                      IRunHost& host, unsigned threads, const RepairedFn& onResult) {
    const CStrings& strings = host.Strings();
    host.ClearResults();
    host.SetStage(strings.Text(StringId::kStageRepairing));
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
        taken.size(), threads, [&](std::size_t i) { return Prepare(paths[i], settings, strings); },
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
                         strings.Text(StringId::kRepairSameName),
                         {},
                         {},
                         false};
                } else if (exists && GetFileId(path, source) && source == there) {
                    r = {RepairResult::kError,
                         strings.Text(StringId::kRepairOutputIsSource),
                         {},
                         {},
                         false};
                } else {
                    bool mayReplace = false;
                    if (exists) {
                        const Answer answer =
                            host.AskOverwrite(strings.Text(StringId::kAskOverwrite, p.target));
                        mayReplace = answer == Answer::kYes;
                        if (answer != Answer::kYes) {
                            r = {RepairResult::kError,
                                 strings.Text(StringId::kRepairExistsKept, p.target),
                                 {},
                                 {},
                                 false};
                        }
                    }
                    FileOpError error;
                    if (r.kind == RepairResult::kRepaired && !p.copy->Commit(error, mayReplace)) {
                        r = {RepairResult::kError,
                             error.kind == FileOpError::Kind::kTargetExists
                                 ? strings.Text(StringId::kRepairAppeared, p.target)
                                 : p.target + ": " + error.text,
                             {},
                             {},
                             error.diskFull};
                    }
                }
                if (r.kind == RepairResult::kRepaired) {
                    r.text += strings.Text(StringId::kRepairWrittenTo, p.target);
                }
            } else if (p.copy) {
                std::string why;
                if (!KeepOriginal(path, settings, r.backup, why, strings)) {
                    r = {RepairResult::kError, why, {}, {}, false};
                } else {
                    FileOpError error;
                    if (!p.copy->Commit(error, true)) {
                        ::unlink(r.backup.c_str());  // the original is still in its place
                        r = {RepairResult::kError,
                             strings.Text(StringId::kRepairCannotReplace, error.text),
                             {},
                             {},
                             error.diskFull};
                    } else {
                        r.text += strings.Text(StringId::kRepairOriginalKept, r.backup);
                        host.UpdateTrack({index, AnalysedOk, tracks[index]->convertState});
                    }
                }
            }
            p.copy.reset();  // not committed: the temporary file goes
            diskFull = diskFull || r.diskFull;
            TrackResult shown;
            shown.index = index;
            shown.path = path;
            shown.output = r.output;
            shown.status =
                r.kind == RepairResult::kError ? TrackStatus::kFailed : TrackStatus::kDone;
            shown.verdict = r.kind == RepairResult::kRepaired ? Verdict::kCorrupt : Verdict::kOk;
            shown.reason = r.text;
            ShowResult(shown, ResultShape::kRepair, host);
            host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            if (onResult) {
                onResult(index, r);
            }
            ++done;
        },
        nullptr, [&] { return diskFull || host.IsAborted(); });
    if (delivered < taken.size()) {
        host.AddResult(diskFull ? strings.Text(StringId::kNotEnoughSpace)
                                : strings.Text(StringId::kLineAborted),
                       kColourRed);
    }
    host.SetStage("");
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
    return done;
}

}  // namespace sonvara
