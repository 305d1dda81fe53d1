#include "runs/conversionrun.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "audio/fileexception.h"
#include "audio/makevalidfilename.h"
#include "check/mp3checkjob.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "convert/normalize.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/fileinfo.h"
#include "platform/paths.h"
#include "platform/runinorder.h"
#include "platform/scopeguard.h"
#include "platform/stopscope.h"
#include "tracks/tracklist.h"

namespace sonvara {

namespace fs = std::filesystem;

ConversionSettings ReadConversionSettings(CSettings& settings) {
    ConversionSettings s;
    s.trackDir = settings.GetTrackDir();
    s.uncompressed = settings.GetWAVFormat() == 0;
    s.normalize = settings.GetNormalize();
    s.normalizeMode = settings.GetNormalizeMode();
    s.loudnessTarget = settings.GetLoudnessTarget();
    s.convertCorrupt = settings.GetConvertCorruptFiles();
    s.encoder = settings.GetEncoderProperties();
    return s;
}

struct CConversionRun::Planned {
    std::size_t index = 0;     // into the run's list
    std::string output;        // the final output name
    std::string collidesWith;  // an earlier source of this run with the same output, or ""
    bool mayReplace = false;   // the user agreed to replace what was at the output
};

// The outputs this run has put in place (by file identity), shared by the workers.
struct CConversionRun::Written {
    std::mutex mutex;
    std::set<FileId> files;
    std::atomic<bool> spaceUnknownShown{false};
};

CConversionRun::CConversionRun(ConversionMode mode, IRunHost& host)
    : m_Mode(mode), m_Host(host), m_Written(std::make_unique<Written>()) {}

CConversionRun::~CConversionRun() = default;

namespace {

// What loudness normalisation did, for the result line: the loudness reached, or why the
// target was not.
std::string LoudnessNote(const LoudnessNormalizeResult& r, int target) {
    char text[200];
    if (!r.measured) {
        std::snprintf(text, sizeof text, "(not normalised: %s)", r.why.c_str());
    } else if (r.reached) {
        std::snprintf(text, sizeof text, "(%.1f LUFS)", r.after);
    } else {
        std::snprintf(text, sizeof text,
                      "(%.1f LUFS: target %d LUFS not reached, true peak held at %.0f dBTP)",
                      r.after, target, kTruePeakCeilingDbtp);
    }
    return text;
}

std::string SystemText(const std::error_code& ec) {
    return std::error_code(ec.value(), std::generic_category()).message();
}

// The reason of a job's error, named after the final output rather than its temporary file.
std::string ReasonOf(const CFileException& e, const std::string& temp, const std::string& output) {
    const std::string what = e.what();
    const std::string prefix = temp + ": ";
    return what.rfind(prefix, 0) == 0 ? output + ": " + what.substr(prefix.size()) : what;
}

// The file could not be written (created, written, completed), as opposed to a source that
// could not be read or encoded.
bool IsWriteFailure(const CFileException& e, const std::string& temp) {
    return e.m_strFileName == temp && (e.m_cause == CFileException::diskFull || e.m_lOsError != 0);
}

// Two names of one folder, as the file system sees them; a folder that does not exist yet is
// compared by its full path with ".." and "." resolved and links followed as far as it exists.
bool SameFolder(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(a, ec) && fs::exists(b, ec)) {
        return fs::equivalent(a, b, ec) && !ec;
    }
    auto resolved = [&ec](const std::string& folder) {
        fs::path p = fs::weakly_canonical(fs::absolute(folder, ec), ec).lexically_normal();
        return p.has_filename() ? p : p.parent_path();  // "/x/in/" and "/x/in" alike
    };
    const fs::path ra = resolved(a);
    const fs::path rb = resolved(b);
    return !ec && ra == rb;
}

}  // namespace

bool CConversionRun::TakesPath(const std::string& path) const {
    const std::string ext = UpperExtension(path);
    return m_Mode == ConversionMode::kWavToMp3 ? ext == ".WAV" : ext == ".MP3";
}

std::string CConversionRun::OutputName(const std::string& source) const {
    std::string name(FileNamePart(source));
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        name.resize(dot);
    }
    return MakeValidFileName(m_Settings.trackDir + PreferredSeparator() + name +
                                 (m_Mode == ConversionMode::kMp3ToWav ? ".wav" : ".mp3"),
                             true);
}

std::string CConversionRun::TrackDirectory() const {
    // A track directory of "/" loses its separator at Start; the empty text is the root.
    return m_Settings.trackDir.empty() ? std::string(1, PreferredSeparator()) : m_Settings.trackDir;
}

bool CConversionRun::Start(const ConversionSettings& settings,
                           const std::vector<TrackRecord*>& tracks) {
    m_Settings = settings;
    m_Outcomes.clear();
    m_Written = std::make_unique<Written>();
    std::string& dir = m_Settings.trackDir;
    if (!dir.empty() && IsPathSeparator(dir.back())) {
        dir.pop_back();  // "/out/" and "/out" name the same outputs
    }
    const std::string where = TrackDirectory();
    // MP3 -> MP3 into a source's own folder would replace the originals. Folders are compared
    // as the file system sees them (exact names here, links and ".." resolved), and before the
    // track directory is made, so that a refused run leaves nothing behind.
    if (m_Mode == ConversionMode::kMp3ToMp3) {
        for (const TrackRecord* record : tracks) {
            if (!CTrackList::IsMp3Path(record->path)) {
                continue;
            }
            const std::string folder(DirectoryPart(record->path));
            if (SameFolder(where, folder.empty() ? "." : folder)) {
                m_Host.ShowMessage(Text(StringId::kSameFolder), MessageIcon::kExclamation);
                return false;
            }
        }
    }
    // A track directory that does not exist yet is made, with its parents.
    std::error_code ec;
    if (!fs::is_directory(where, ec)) {
        fs::create_directories(where, ec);
        if (ec || !fs::is_directory(where)) {
            m_Host.ShowMessage(Text(StringId::kTrackDirCannotBeCreated, where, SystemText(ec)),
                               MessageIcon::kStop);
            return false;
        }
    }
    // What an earlier run left when it was killed goes now; it never blocks a track anyway.
    RemoveStrayTemps(where);
    return true;
}

CConversionRun::Space CConversionRun::CheckSpace(const std::string& source, IRunHost& host) {
    const std::string where = TrackDirectory();
    std::optional<double> free;
    std::string why;
    if (freeSpace) {
        free = freeSpace(where);
    } else {
        std::error_code ec;
        const fs::space_info info = fs::space(where, ec);
        if (ec) {
            why = SystemText(ec);
        } else {
            free = static_cast<double>(info.available);
        }
    }
    if (!free) {
        // Not knowing is not "not enough": said once, and the run goes on (a write that finds
        // the disk full still fails cleanly).
        if (!m_Written->spaceUnknownShown.exchange(true)) {
            host.ShowMessage(
                Text(StringId::kFreeSpaceUnknown, where, why.empty() ? "unknown" : why),
                MessageIcon::kInformation);
        }
        return Space::kUnknown;
    }
    std::error_code ec;
    const double size = static_cast<double>(fs::file_size(source, ec));
    double factor = 1.0;
    switch (m_Mode) {
        case ConversionMode::kMp3ToWav: factor = m_Settings.uncompressed ? 15.0 : 5.0; break;
        case ConversionMode::kWavToMp3: factor = 0.1; break;
        case ConversionMode::kMp3ToMp3: factor = 1.0; break;
    }
    if (*free > (ec ? 0.0 : size) * factor) {
        return Space::kEnough;
    }
    host.ShowMessage(Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
    return Space::kShort;
}

std::vector<CConversionRun::Planned> CConversionRun::Plan(
    const std::vector<TrackRecord*>& tracks) const {
    // Collisions are found here, before anything is written: a later track whose output is an
    // earlier track's output is not converted.
    std::vector<Planned> plan;
    std::map<std::string, std::string> firstSource;
    for (std::size_t index = 0; index < tracks.size(); ++index) {
        const std::string& path = tracks[index]->path;
        if (!TakesPath(path)) {
            continue;
        }
        Planned p;
        p.index = index;
        p.output = OutputName(path);
        const auto [it, fresh] = firstSource.emplace(p.output, path);
        if (!fresh) {
            p.collidesWith = it->second;
        }
        plan.push_back(std::move(p));
    }
    return plan;
}

// A track refused for want of space gets its result line like every failed track.
std::string CConversionRun::NotEnoughSpace(const TrackRecord& record, IRunHost& host) {
    const std::string reason = Text(StringId::kNotEnoughSpace);
    host.AddResult(record.path, kColourRed);
    host.AddResult(Text(StringId::kLineFailed, reason), kColourRed);
    host.ScrollToEnd();
    return reason;
}

CConversionRun::Decision CConversionRun::Decide(Planned& track, const std::string& source) {
    std::error_code ec;
    track.mayReplace = false;
    if (!fs::exists(fs::symlink_status(track.output, ec))) {
        return Decision::kGo;
    }
    // Whatever the answer, an output never overwrites its own source.
    if (track.output == source || fs::equivalent(track.output, source, ec)) {
        m_Host.ShowMessage(Text(StringId::kOutputIsSource, track.output),
                           MessageIcon::kExclamation);
        return Decision::kSkip;
    }
    switch (m_Host.AskOverwrite(Text(StringId::kAskOverwrite, track.output))) {
        case Answer::kYes: track.mayReplace = true; return Decision::kGo;
        case Answer::kNo:
        case Answer::kCancel:
            // Cancel at the question skips this track only, unless the run itself was stopped
            // while it was asked.
            return m_Host.IsAborted() ? Decision::kCancel : Decision::kSkip;
        case Answer::kStop: break;
    }
    return Decision::kCancel;
}

void CConversionRun::AddAbortLine(IRunHost& host) {
    // The MP3 -> WAV run writes it in red, the encoding runs in the list's own colours.
    host.AddResult(Text(StringId::kLineAborted),
                   m_Mode == ConversionMode::kMp3ToWav ? kColourRed : kColourDefault);
}

void CConversionRun::Walk(const std::vector<TrackRecord*>& tracks, unsigned threads) {
    m_Host.ClearResults();
    if (!m_Written) {
        m_Written = std::make_unique<Written>();
    }
    std::vector<Planned> plan = Plan(tracks);
    if (threads > 1) {
        WalkInParallel(tracks, plan, threads);
    } else {
        WalkInOrder(tracks, plan);
    }
    m_Host.SetCurrentFile("");
    m_Host.SetProgress(0);
    m_Host.RunEnded();
}

void CConversionRun::WalkInOrder(const std::vector<TrackRecord*>& tracks,
                                 std::vector<Planned>& plan) {
    for (Planned& track : plan) {
        const TrackRecord& record = *tracks[track.index];
        m_Host.SetCurrentFile(record.path);
        if (!track.collidesWith.empty()) {
            m_Outcomes.push_back(Collision(track, record, m_Host).outcome);
            continue;
        }
        const Decision decision = Decide(track, record.path);
        if (decision == Decision::kSkip) {
            m_Outcomes.push_back({TrackOutcome::kSkipped, &record, track.output});
            continue;
        }
        if (decision == Decision::kCancel || m_Host.IsAborted()) {
            AddAbortLine(m_Host);
            return;
        }
        const TrackResult result = ProcessTrack(track, record, m_Host);
        m_Outcomes.push_back(result.outcome);
        if (!result.goOn) {
            return;
        }
    }
}

namespace {

// Keeps what one track's work shows, to be shown in list order later; stop requests go
// straight through.
class CDeferredHost : public IRunHost {
public:
    explicit CDeferredHost(IRunHost& host) : m_Host(host) {}
    bool IsAborted() override { return m_Host.IsAborted(); }
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetStage(const std::string&) override {}
    void ClearResults() override {}
    void AddResult(const std::string& text, std::uint32_t colour) override {
        events.push_back({Event::kLine, text, colour, MessageIcon::kInformation, {}});
    }
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string&) override { return Answer::kNo; }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        events.push_back({Event::kMessage, text, 0, icon, {}});
    }
    void ReportError(const std::string& path, const std::string& reason) override {
        events.push_back({Event::kError, path + '\n' + reason, 0, MessageIcon::kInformation, {}});
    }
    void UpdateTrack(const TrackUpdate& update) override {
        events.push_back({Event::kUpdate, {}, 0, MessageIcon::kInformation, update});
    }
    void RunEnded() override {}

    void Replay(IRunHost& to) const {
        for (const Event& e : events) {
            switch (e.kind) {
                case Event::kMessage: to.ShowMessage(e.text, e.icon); break;
                case Event::kLine: to.AddResult(e.text, e.colour); break;
                case Event::kUpdate: to.UpdateTrack(e.update); break;
                case Event::kError: {
                    const std::size_t cut = e.text.find('\n');
                    to.ReportError(e.text.substr(0, cut), e.text.substr(cut + 1));
                    break;
                }
            }
        }
        to.ScrollToEnd();
    }

private:
    struct Event {
        enum Kind { kLine, kMessage, kError, kUpdate } kind;
        std::string text;
        std::uint32_t colour;
        MessageIcon icon;
        TrackUpdate update;
    };
    IRunHost& m_Host;
    std::vector<Event> events;
};

}  // namespace

void CConversionRun::WalkInParallel(const std::vector<TrackRecord*>& tracks,
                                    std::vector<Planned>& plan, unsigned threads) {
    // The questions first, in list order, so that the workers never wait for an answer. A
    // stop ends the asking: only the tracks before it are converted.
    std::vector<Planned*> taken;
    bool cancelled = false;
    for (Planned& track : plan) {
        const TrackRecord& record = *tracks[track.index];
        if (!track.collidesWith.empty()) {
            taken.push_back(&track);
            continue;
        }
        m_Host.SetCurrentFile(record.path);
        const Decision decision = Decide(track, record.path);
        if (decision == Decision::kCancel) {
            cancelled = true;
            break;
        }
        if (decision == Decision::kGo) {
            taken.push_back(&track);
        } else {
            m_Outcomes.push_back({TrackOutcome::kSkipped, &record, track.output});
        }
    }
    struct Work {
        TrackResult result;
        std::shared_ptr<CDeferredHost> shown;
    };
    bool ended = false;
    const std::size_t delivered = RunTracksInOrder<Work>(
        taken.size(), threads,
        [&](std::size_t i) {
            const Planned& track = *taken[i];
            auto shown = std::make_shared<CDeferredHost>(m_Host);
            const TrackRecord& record = *tracks[track.index];
            Work w{track.collidesWith.empty() ? ProcessTrack(track, record, *shown)
                                              : Collision(track, record, *shown),
                   shown};
            return w;
        },
        [&](std::size_t i, Work& w) {
            m_Host.SetCurrentFile(tracks[taken[i]->index]->path);
            w.shown->Replay(m_Host);
            m_Host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            m_Outcomes.push_back(w.result.outcome);
            ended = ended || !w.result.goOn;
        },
        nullptr, [&] { return ended || m_Host.IsAborted(); });
    if (cancelled || (!ended && delivered < taken.size() && m_Host.IsAborted())) {
        AddAbortLine(m_Host);
    }
}

CConversionRun::TrackResult CConversionRun::Collision(const Planned& track,
                                                      const TrackRecord& record, IRunHost& host) {
    const std::string why = track.output + " is also the output of " + track.collidesWith;
    host.AddResult(record.path, kColourRed);
    host.AddResult(Text(StringId::kLineFailed, why), kColourRed);
    host.ScrollToEnd();
    TrackResult result;
    result.outcome = {TrackOutcome::kSkipped, &record, why};
    return result;
}

bool CConversionRun::PutInPlace(CAtomicFile& file, const Planned& track, std::string& reason) {
    Written& written = *m_Written;
    FileOpError error;
    bool ok = false;
    {
        std::lock_guard lock(written.mutex);
        FileId there;
        if (track.mayReplace && GetFileId(track.output, there) && written.files.count(there) != 0) {
            // Agreed or not, an output this run has just written is never replaced.
            reason = track.output + " was written by this run a moment ago; it is kept";
            return false;
        }
        ok = file.Commit(error, track.mayReplace);
        FileId id;
        if (ok && GetFileId(track.output, id)) {
            written.files.insert(id);
        }
    }
    if (!ok) {
        reason = error.code == EEXIST || error.text == "the target exists"
                     ? track.output + " appeared while converting; it is kept"
                     : track.output + ": " + error.text;
    }
    return ok;
}

CConversionRun::TrackResult CConversionRun::ProcessTrack(const Planned& track,
                                                         const TrackRecord& record,
                                                         IRunHost& host) {
    // The record is only read here; its new states go to the host. A stop reaches into the
    // reading of a huge file's frames too.
    CStopScope stop([&host] { return host.IsAborted(); });
    TrackUpdate state{track.index, record.checkState, record.convertState};
    return m_Mode == ConversionMode::kMp3ToWav ? ProcessMp3ToWav(track, record, state, host)
                                               : ProcessEncoding(track, record, state, host);
}

CConversionRun::TrackResult CConversionRun::ProcessMp3ToWav(const Planned& track,
                                                            const TrackRecord& record,
                                                            TrackUpdate& state, IRunHost& host) {
    TrackResult result;
    result.outcome = {TrackOutcome::kFailed, &record, "not converted"};
    CMP3CheckJob check;
    host.SetStage(Text(StringId::kStageAnalyzing));
    check.Setup(record.path);
    const bool checkStopped = check.Run(&host);
    check.Close();
    if (checkStopped) {
        // A verdict of half a file is no verdict: the track keeps its states.
        host.SetStage("");
        host.AddResult(Text(StringId::kLineAborted), kColourRed);
        result.outcome.detail = "stopped";
        result.goOn = false;
        return result;
    }
    const bool intact = check.IsIntact();
    state.checkState = intact ? AnalysedOk : AnalysedCorrupt;
    host.UpdateTrack(state);
    if (CheckSpace(record.path, host) == Space::kShort) {
        result.outcome.detail = NotEnoughSpace(record, host);
        result.goOn = false;
        return result;
    }
    const std::uint32_t colour = intact ? kColourDefault : kColourRed;
    if (!intact && !m_Settings.convertCorrupt) {
        result.outcome.detail = "corrupt, not converted";
        host.AddResult(record.path, colour);
        host.AddResult(Text(StringId::kLineCorrupt, ""), colour);
        host.ScrollToEnd();
        return result;
    }

    // Decode into a temporary file beside the output, normalise it there, and only then give
    // it the output's name.
    const int format = m_Settings.uncompressed ? 0 : 1;
    CAtomicFile output(track.output);
    std::string reason;
    bool writeFailure = true;
    bool diskFull = false;
    bool stopped = false;
    FileOpError createError;
    host.SetStage(Text(StringId::kStageConverting));
    if (!output.Create(createError)) {
        reason = track.output + ": " + createError.text;
        diskFull = createError.diskFull;
    } else {
        try {
            CMp3ToWavJob job;
            job.Setup(record.path, output.TempPath(), format);
            {
                auto closeOnFailure = OnFailure([&job] { job.Close(); });
                stopped = job.Run(&host);
            }
            job.Close();
        } catch (const CFileException& e) {
            reason = ReasonOf(e, output.TempPath(), track.output);
            writeFailure = IsWriteFailure(e, output.TempPath());
            diskFull = e.m_cause == CFileException::diskFull;
        }
    }
    // A failure that a stop caused (reading the source was cut short) is the stop, not a
    // verdict on the file.
    stopped = stopped || (!reason.empty() && host.IsAborted());
    host.SetStage("");
    std::string loudnessNote;
    if (reason.empty() && !stopped && m_Settings.normalize) {
        std::string normalizeError;
        const auto stage = [&host](const std::string& word) { host.SetStage(word); };
        bool ok = false;
        if (m_Settings.normalizeMode == NormalizeMode::kLoudness) {
            LoudnessNormalizeResult loudness;
            ok = NormalizeFileToLoudness(output.TempPath(), format, m_Settings.loudnessTarget,
                                         &host, stage, &normalizeError, &loudness);
            loudnessNote = LoudnessNote(loudness, m_Settings.loudnessTarget);
        } else {
            ok = NormalizeFile(output.TempPath(), format, &host, stage, &normalizeError);
        }
        host.SetStage("");
        if (!ok && normalizeError.empty()) {
            stopped = true;
        } else if (!ok) {
            reason = normalizeError;
        }
    }
    if (stopped) {
        // The partial output goes with `output`; the track keeps its conversion state.
        result.outcome.detail = "stopped";
        host.AddResult(Text(StringId::kLineAborted), kColourRed);
        result.goOn = false;
        return result;
    }
    if (reason.empty() && !PutInPlace(output, track, reason)) {
        writeFailure = true;
    }
    if (!reason.empty()) {
        // Never "File OK!" for an output that is not there: the reason instead.
        state.convertState = CannotConvert;
        host.UpdateTrack(state);
        host.AddResult(record.path, kColourRed);
        host.AddResult(Text(StringId::kLineFailed, reason), kColourRed);
        host.ScrollToEnd();
        result.outcome = {TrackOutcome::kFailed, &record, reason};
        if (writeFailure && diskFull) {
            host.ShowMessage(Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
            result.goOn = false;
        }
        return result;
    }
    state.convertState = ConvertedMp3ToWav;
    host.UpdateTrack(state);
    result.outcome = {TrackOutcome::kConverted, &record, track.output};
    host.AddResult(record.path, colour);
    host.AddResult(Text(intact ? StringId::kLineOk : StringId::kLineCorrupt, loudnessNote), colour);
    host.ScrollToEnd();
    if (host.IsAborted()) {
        // Done, but the stop request came meanwhile: the run ends here.
        host.AddResult(Text(StringId::kLineAborted), kColourRed);
        result.goOn = false;
    }
    return result;
}

CConversionRun::TrackResult CConversionRun::ProcessEncoding(const Planned& track,
                                                            const TrackRecord& record,
                                                            TrackUpdate& state, IRunHost& host) {
    TrackResult result;
    if (CheckSpace(record.path, host) == Space::kShort) {
        result.outcome = {TrackOutcome::kFailed, &record, NotEnoughSpace(record, host)};
        result.goOn = false;
        return result;
    }
    host.AddResult(track.output, kColourDefault);
    CAtomicFile output(track.output);
    std::string reason;
    bool writeFailure = true;  // else the source could not be read or encoded: "corrupt"
    bool diskFull = false;
    bool stopped = false;
    FileOpError createError;
    CFile source;
    if (!source.Open(record.path, CFile::Mode::kRead)) {
        // A source that cannot be opened is not corrupt: the reason only.
        reason = record.path + ": " + source.ErrorText();
    } else if (source.Close(); !output.Create(createError)) {
        reason = track.output + ": " + createError.text;
        diskFull = createError.diskFull;
    } else {
        try {
            std::unique_ptr<CEncodingJob> job;
            if (m_Mode == ConversionMode::kWavToMp3) {
                job = std::make_unique<CWavToMp3Job>();
            } else {
                job = std::make_unique<CMp3ToMp3Job>();
            }
            const EncoderProperties& e = m_Settings.encoder;
            job->Setup(record.path, output.TempPath(), e.bitRateIndex, e.qualityIndex, e.vbr);
            {
                auto closeOnFailure = OnFailure([&job] { job->Close(); });
                stopped = job->Run(&host);
            }
            job->Close();
        } catch (const CFileException& e) {
            reason = ReasonOf(e, output.TempPath(), track.output);
            writeFailure = IsWriteFailure(e, output.TempPath());
            diskFull = e.m_cause == CFileException::diskFull;
        }
    }
    // A failure that a stop caused (reading the source was cut short) is the stop, not a
    // verdict on the file.
    stopped = stopped || (!reason.empty() && host.IsAborted());
    if (stopped) {
        // The partial output goes with `output`; the track keeps its states.
        host.AddResult(Text(StringId::kLineAborted), kColourDefault);
        result.outcome = {TrackOutcome::kFailed, &record, "stopped"};
        result.goOn = false;
        return result;
    }
    if (reason.empty() && !PutInPlace(output, track, reason)) {
        writeFailure = true;
    }
    if (!reason.empty()) {
        state.convertState = CannotConvert;
        if (!writeFailure) {
            // The source could not be read or encoded: the corrupt verdict, with the reason.
            state.checkState = AnalysedCorrupt;
            host.AddResult(Text(StringId::kLineCorrupt, ""), kColourRed);
        }
        host.UpdateTrack(state);
        host.AddResult(Text(StringId::kLineFailed, reason), kColourRed);
        host.ScrollToEnd();
        result.outcome = {TrackOutcome::kFailed, &record, reason};
        if (writeFailure && diskFull) {
            host.ShowMessage(Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
            result.goOn = false;
        }
        return result;
    }
    state.convertState = m_Mode == ConversionMode::kWavToMp3 ? ConvertedWavToMp3 : ReencodedMp3;
    // The source could be read to its end; a corrupt verdict still holds, as the file itself
    // was not changed.
    if (record.checkState != AnalysedCorrupt) {
        state.checkState = AnalysedOk;
    }
    host.UpdateTrack(state);
    host.AddResult(Text(StringId::kLineOk, ""), kColourDefault);
    host.ScrollToEnd();
    result.outcome = {TrackOutcome::kConverted, &record, track.output};
    return result;
}

}  // namespace sonvara
