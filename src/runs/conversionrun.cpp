#include "runs/conversionrun.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include "audio/fileexception.h"
#include "audio/makevalidfilename.h"
#include "audio/trackkind.h"
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
#include "runs/analysisrun.h"
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
std::string LoudnessNote(const LoudnessNormalizeResult& r, int target, const CStrings& strings) {
    const auto number = [](double value, int decimals) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        return std::string(text);
    };
    if (!r.measured) {
        return strings.Text(StringId::kNoteNotNormalised, r.why);
    }
    if (r.reached) {
        return strings.Text(StringId::kNoteLoudness, number(r.after, 1));
    }
    return strings.Text(StringId::kNoteLoudnessShort, number(r.after, 1), std::to_string(target),
                        number(kTruePeakCeilingDbtp, 0));
}

std::string SystemText(const std::error_code& ec) {
    return std::error_code(ec.value(), std::generic_category()).message();
}

// Runs a job set up by `work` (true when it stopped) into `step`; an error of its files becomes
// the reason, named after the final output rather than the temporary file.
template <class Step, class Work>
void Attempt(Step& step, const std::string& temp, const std::string& output, Work work) {
    try {
        step.stopped = work();
    } catch (const CFileException& e) {
        const std::string what = e.what();
        const std::string prefix = temp + ": ";
        step.reason =
            what.rfind(prefix, 0) == 0 ? output + ": " + what.substr(prefix.size()) : what;
        // A file that could not be written (created, written, completed), as opposed to a source
        // that could not be read or encoded.
        step.writeFailure =
            e.m_strFileName == temp && (e.m_cause == CFileException::diskFull || e.m_lOsError != 0);
        step.diskFull = e.m_cause == CFileException::diskFull;
    }
}

// False with the reason when the file cannot be opened for reading.
bool CanOpen(const std::string& path, std::string& reason) {
    CFile file;
    if (!file.Open(path, CFile::Mode::kRead)) {
        reason = path + ": " + file.ErrorText();
        return false;
    }
    file.Close();
    return true;
}

// Runs a job to its end or a stop and closes it, on every path.
template <class Job>
bool RunAndClose(Job& job, IProgressSink& sink) {
    bool stopped = false;
    {
        auto closeOnFailure = OnFailure([&job] { job.Close(); });
        stopped = job.Run(&sink);
    }
    job.Close();
    return stopped;
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

// What a mode's own step did to the temporary output.
struct CConversionRun::Step {
    bool stopped = false;
    std::string reason;        // why there is no complete output
    bool writeFailure = true;  // the output could not be written (else: the source was unreadable)
    bool diskFull = false;
    std::string note;  // for the result line
};

ResultShape CConversionRun::Shape() const {
    return m_Mode == ConversionMode::kMp3ToWav ? ResultShape::kDecode : ResultShape::kEncode;
}

bool CConversionRun::TakesPath(const std::string& path) const {
    return TrackKindOf(path) ==
           (m_Mode == ConversionMode::kWavToMp3 ? TrackKind::kWave : TrackKind::kMpeg);
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
    const CStrings& strings = m_Host.Strings();
    m_Settings = settings;
    m_Results.clear();
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
                m_Host.ShowMessage(strings.Text(StringId::kSameFolder), MessageIcon::kExclamation);
                return false;
            }
        }
    }
    // A track directory that does not exist yet is made, with its parents.
    std::error_code ec;
    if (!fs::is_directory(where, ec)) {
        fs::create_directories(where, ec);
        if (ec || !fs::is_directory(where)) {
            m_Host.ShowMessage(
                strings.Text(StringId::kTrackDirCannotBeCreated, where, SystemText(ec)),
                MessageIcon::kStop);
            return false;
        }
    }
    // What an earlier run left when it was killed goes now; it never blocks a track anyway.
    RemoveStrayTemps(where);
    return true;
}

CConversionRun::Space CConversionRun::CheckSpace(const std::string& source, IRunHost& host) {
    const CStrings& strings = host.Strings();
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
                strings.Text(StringId::kFreeSpaceUnknown, where,
                             why.empty() ? strings.Text(StringId::kReasonUnknown) : why),
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
    host.ShowMessage(strings.Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
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

CConversionRun::Decision CConversionRun::Decide(Planned& track, const std::string& source) {
    const CStrings& strings = m_Host.Strings();
    std::error_code ec;
    track.mayReplace = false;
    if (!fs::exists(fs::symlink_status(track.output, ec))) {
        return Decision::kGo;
    }
    // Whatever the answer, an output never overwrites its own source.
    if (track.output == source || fs::equivalent(track.output, source, ec)) {
        m_Host.ShowMessage(strings.Text(StringId::kOutputIsSource, track.output),
                           MessageIcon::kExclamation);
        return Decision::kSkip;
    }
    switch (m_Host.AskOverwrite(strings.Text(StringId::kAskOverwrite, track.output))) {
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

void CConversionRun::Walk(const std::vector<TrackRecord*>& tracks, unsigned threads) {
    m_Host.ClearResults();
    if (!m_Written) {
        m_Written = std::make_unique<Written>();
    }
    std::vector<Planned> plan = Plan(tracks);
    // One walk for any number of threads. The overwrite questions are asked on this thread, in
    // list order, before a track's work starts: with one thread at each track's turn, with more
    // all of them first, so that the workers never wait for an answer. A Cancel at a question
    // that a stop request came with ends the asking: only the tracks before it are converted.
    const std::size_t batch = threads > 1 ? std::max<std::size_t>(plan.size(), 1) : 1;
    for (std::size_t from = 0; from < plan.size(); from += batch) {
        std::vector<const Planned*> taken;
        bool cancelled = false;
        for (std::size_t i = from; i < std::min(from + batch, plan.size()) && !cancelled; ++i) {
            Planned& track = plan[i];
            const TrackRecord& record = *tracks[track.index];
            m_Host.SetCurrentFile(record.path);
            const Decision decision =
                track.collidesWith.empty() ? Decide(track, record.path) : Decision::kGo;
            if (decision == Decision::kGo) {
                taken.push_back(&track);
            } else if (decision == Decision::kSkip) {
                TrackResult skipped;
                skipped.index = track.index;
                skipped.status = TrackStatus::kSkipped;
                skipped.path = record.path;
                skipped.output = track.output;
                m_Results.push_back(std::move(skipped));
            } else {
                cancelled = true;
            }
        }
        bool ended = false;
        const std::size_t converted = ConvertTaken(tracks, taken, threads, ended);
        const bool stopped = !ended && converted < taken.size() && m_Host.IsAborted();
        if (cancelled || stopped) {
            ShowAborted(Shape(), m_Host);
        }
        if (cancelled || stopped || ended) {
            break;
        }
    }
    // With several threads the tracks skipped at their question were kept first.
    std::stable_sort(m_Results.begin(), m_Results.end(),
                     [](const TrackResult& a, const TrackResult& b) { return a.index < b.index; });
    m_Host.SetCurrentFile("");
    m_Host.SetProgress(0);
    m_Host.RunEnded();
}

namespace {

// Keeps what one track's work shows, to be shown in list order later; stop requests and the
// texts' table go straight through.
class CDeferredHost : public CQuietRunHost {
public:
    explicit CDeferredHost(IRunHost& host) : m_Host(host) {}
    bool IsAborted() override { return m_Host.IsAborted(); }
    const CStrings& Strings() const override { return m_Host.Strings(); }
    void AddResult(const std::string& text, std::uint32_t colour) override {
        events.push_back({Event::kLine, text, colour, MessageIcon::kInformation, {}});
    }
    void ShowMessage(const std::string& text, MessageIcon icon) override {
        events.push_back({Event::kMessage, text, 0, icon, {}});
    }
    void ReportError(const std::string& path, const std::string& reason) override {
        events.push_back({Event::kError, path + '\n' + reason, 0, MessageIcon::kInformation, {}});
    }
    void UpdateTrack(const TrackUpdate& update) override {
        events.push_back({Event::kUpdate, {}, 0, MessageIcon::kInformation, update});
    }

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

std::size_t CConversionRun::ConvertTaken(const std::vector<TrackRecord*>& tracks,
                                         const std::vector<const Planned*>& taken, unsigned threads,
                                         bool& ended) {
    const auto deliver = [&](TrackResult& result) {
        ShowResult(result, Shape(), m_Host);
        ended = ended || EndsRun(result);
        m_Results.push_back(std::move(result));
    };
    if (threads <= 1) {
        // On this thread, with the host's own progress; a stop request is seen before each track.
        std::size_t done = 0;
        for (const Planned* track : taken) {
            if (ended || m_Host.IsAborted()) {
                break;
            }
            TrackResult result = ConvertOne(*track, *tracks[track->index], m_Host);
            deliver(result);
            ++done;
        }
        return done;
    }
    struct Work {
        TrackResult result;
        std::shared_ptr<CDeferredHost> shown;
    };
    return RunTracksInOrder<Work>(
        taken.size(), threads,
        [&](std::size_t i) {
            auto shown = std::make_shared<CDeferredHost>(m_Host);
            TrackResult result = ConvertOne(*taken[i], *tracks[taken[i]->index], *shown);
            return Work{std::move(result), shown};
        },
        [&](std::size_t i, Work& w) {
            m_Host.SetCurrentFile(tracks[taken[i]->index]->path);
            w.shown->Replay(m_Host);
            deliver(w.result);
            m_Host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
        },
        nullptr, [&] { return ended || m_Host.IsAborted(); });
}

bool CConversionRun::PutInPlace(CAtomicFile& file, const Planned& track, std::string& reason) {
    const CStrings& strings = m_Host.Strings();
    Written& written = *m_Written;
    FileOpError error;
    bool ok = false;
    {
        std::lock_guard lock(written.mutex);
        FileId there;
        if (track.mayReplace && GetFileId(track.output, there) && written.files.count(there) != 0) {
            // Agreed or not, an output this run has just written is never replaced.
            reason = strings.Text(StringId::kReasonWrittenByRun, track.output);
            return false;
        }
        ok = file.Commit(error, track.mayReplace);
        FileId id;
        if (ok && GetFileId(track.output, id)) {
            written.files.insert(id);
        }
    }
    if (!ok) {
        reason = error.kind == FileOpError::Kind::kTargetExists
                     ? strings.Text(StringId::kReasonAppeared, track.output)
                     : track.output + ": " + error.text;
    }
    return ok;
}

TrackResult CConversionRun::ConvertOne(const Planned& track, const TrackRecord& record,
                                       IRunHost& host) {
    const CStrings& strings = host.Strings();
    TrackResult result;
    result.index = track.index;
    result.path = record.path;
    result.output = track.output;
    if (!track.collidesWith.empty()) {
        result.status = TrackStatus::kCollision;
        result.reason = strings.Text(StringId::kReasonSameOutput, track.output, track.collidesWith);
        return result;
    }
    const bool decoding = m_Mode == ConversionMode::kMp3ToWav;
    // The record is only read here; its new states go to the host. A stop reaches into the
    // reading of a huge file's frames too.
    CStopScope stop([&host] { return host.IsAborted(); });
    TrackUpdate state{track.index, record.checkState, record.convertState};
    if (decoding) {
        // The source is judged as the analysis judges it: intact, corrupt, or not readable
        // (which is not corrupt: the track keeps its verdict and cannot be converted).
        host.SetStage(strings.Text(StringId::kStageAnalyzing));
        const CheckVerdict verdict = CheckMp3File(record.path, &host);
        if (verdict.stopped) {
            // A verdict of half a file is no verdict: the track keeps its states.
            host.SetStage("");
            result.status = TrackStatus::kStopped;
            return result;
        }
        const TrackResult checked = CheckResult(track.index, record.path, verdict);
        if (checked.status == TrackStatus::kNotChecked) {
            host.SetStage("");
            state.convertState = CannotConvert;
            host.UpdateTrack(state);
            result.status = TrackStatus::kFailed;
            result.reason = checked.reason;
            return result;
        }
        result.verdict = checked.verdict;
        state.checkState = result.verdict == Verdict::kOk ? AnalysedOk : AnalysedCorrupt;
        host.UpdateTrack(state);
    }
    if (CheckSpace(record.path, host) == Space::kShort) {
        result.status = TrackStatus::kNoSpace;
        result.reason = strings.Text(StringId::kNotEnoughSpace);
        return result;
    }
    if (result.verdict == Verdict::kCorrupt && !m_Settings.convertCorrupt) {
        result.status = TrackStatus::kCorruptKept;
        return result;
    }

    // The output is made under a temporary name beside its final one and gets that name only
    // when it is complete.
    CAtomicFile output(track.output);
    Step step;
    FileOpError createError;
    if (decoding) {
        host.SetStage(strings.Text(StringId::kStageConverting));
    }
    if (!decoding && !CanOpen(record.path, step.reason)) {
        // A source that cannot be opened is not corrupt: the reason only.
    } else if (!output.Create(createError)) {
        step.reason = track.output + ": " + createError.text;
        step.diskFull = createError.diskFull;
    } else {
        step = decoding ? Decode(record.path, output.TempPath(), track.output, host)
                        : Encode(record.path, output.TempPath(), track.output, host);
    }
    // A failure that a stop caused (reading the source was cut short) is the stop, not a
    // verdict on the file. The partial output goes with `output`; the track keeps its states.
    if (step.stopped || (!step.reason.empty() && host.IsAborted())) {
        host.SetStage("");
        result.status = TrackStatus::kStopped;
        return result;
    }
    if (step.reason.empty() && !PutInPlace(output, track, step.reason)) {
        step.writeFailure = true;
    }
    if (!step.reason.empty()) {
        // Never "File OK!" for an output that is not there: the reason instead.
        host.SetStage("");
        state.convertState = CannotConvert;
        if (!decoding && !step.writeFailure) {
            // The source could not be read or encoded: the corrupt verdict.
            state.checkState = AnalysedCorrupt;
            result.verdict = Verdict::kCorrupt;
        }
        host.UpdateTrack(state);
        result.status = TrackStatus::kFailed;
        result.reason = step.reason;
        result.diskFull = step.writeFailure && step.diskFull;
        if (result.diskFull) {
            host.ShowMessage(strings.Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
        }
        return result;
    }
    switch (m_Mode) {
        case ConversionMode::kMp3ToWav: state.convertState = ConvertedMp3ToWav; break;
        case ConversionMode::kWavToMp3: state.convertState = ConvertedWavToMp3; break;
        case ConversionMode::kMp3ToMp3: state.convertState = ReencodedMp3; break;
    }
    // An encoding read the source to its end; a corrupt verdict still holds, as the file itself
    // was not changed.
    if (!decoding && record.checkState != AnalysedCorrupt) {
        state.checkState = AnalysedOk;
    }
    host.UpdateTrack(state);
    result.reason = step.note;
    // Done, but a stop request that came meanwhile ends the run here.
    result.stoppedAfter = decoding && host.IsAborted();
    return result;
}

CConversionRun::Step CConversionRun::Decode(const std::string& source, const std::string& temp,
                                            const std::string& output, IRunHost& host) {
    const int format = m_Settings.uncompressed ? 0 : 1;
    Step step;
    Attempt(step, temp, output, [&] {
        CMp3ToWavJob job;
        job.Setup(source, temp, format);
        return RunAndClose(job, host);
    });
    host.SetStage("");
    if (!step.reason.empty() || step.stopped || !m_Settings.normalize) {
        return step;
    }
    // Normalised in the temporary file, before it gets the output's name.
    std::string normalizeError;
    const auto stage = [&host](const std::string& word) { host.SetStage(word); };
    bool ok = false;
    if (m_Settings.normalizeMode == NormalizeMode::kLoudness) {
        LoudnessNormalizeResult loudness;
        ok = NormalizeFileToLoudness(temp, format, m_Settings.loudnessTarget, &host, stage,
                                     &normalizeError, &loudness);
        step.note = LoudnessNote(loudness, m_Settings.loudnessTarget, host.Strings());
    } else {
        ok = NormalizeFile(temp, format, &host, stage, &normalizeError);
    }
    host.SetStage("");
    step.stopped = !ok && normalizeError.empty();
    if (!ok) {
        step.reason = normalizeError;
    }
    return step;
}

CConversionRun::Step CConversionRun::Encode(const std::string& source, const std::string& temp,
                                            const std::string& output, IRunHost& host) {
    Step step;
    Attempt(step, temp, output, [&] {
        std::unique_ptr<CEncodingJob> job;
        if (m_Mode == ConversionMode::kWavToMp3) {
            job = std::make_unique<CWavToMp3Job>();
        } else {
            job = std::make_unique<CMp3ToMp3Job>();
        }
        const EncoderProperties& e = m_Settings.encoder;
        job->Setup(source, temp, e.bitRateIndex, e.qualityIndex, e.vbr);
        return RunAndClose(*job, host);
    });
    return step;
}

}  // namespace sonvara
