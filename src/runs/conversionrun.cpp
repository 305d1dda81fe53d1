#include "runs/conversionrun.h"

#include <filesystem>
#include <memory>

#include "audio/fileexception.h"
#include "check/mp3checkjob.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "convert/normalize.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/runinorder.h"
#include "platform/paths.h"
#include "tracks/tracklist.h"

namespace sonvara {

namespace fs = std::filesystem;

ConversionSettings ReadConversionSettings(CSettings& settings) {
    ConversionSettings s;
    s.trackDir = settings.GetTrackDir();
    s.uncompressed = settings.GetWAVFormat() == 0;
    s.normalize = settings.GetNormalize();
    s.convertCorrupt = settings.GetConvertCorruptFiles();
    s.encoder = settings.GetEncoderProperties();
    return s;
}

bool CConversionRun::TakesPath(const std::string& path) const {
    const std::string ext = UpperExtension(path);
    return m_Mode == ConversionMode::kWavToMp3 ? ext == ".WAV" : ext == ".MP3";
}

std::string CConversionRun::OutputName(const std::string& source) const {
    std::string name(FileNamePart(source));
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) {
        name.resize(dot);
    }
    return m_Settings.trackDir + PreferredSeparator() + name +
           (m_Mode == ConversionMode::kMp3ToWav ? ".wav" : ".mp3");
}

std::string CConversionRun::TrackDirectory() const {
    // A track directory of "/" loses its separator at Start; the empty text is the root.
    return m_Settings.trackDir.empty() ? std::string(1, PreferredSeparator()) : m_Settings.trackDir;
}

bool CConversionRun::Start(const ConversionSettings& settings,
                           const std::vector<TrackRecord*>& tracks) {
    m_Settings = settings;
    m_Outcomes.clear();
    std::string& dir = m_Settings.trackDir;
    if (!dir.empty() && IsPathSeparator(dir.back())) {
        dir.pop_back();  // "/out/" and "/out" name the same outputs
    }
    // A track directory that does not exist yet is made, with its parents.
    std::error_code ec;
    const std::string where = TrackDirectory();
    if (!fs::is_directory(where, ec)) {
        fs::create_directories(where, ec);
        if (ec || !fs::is_directory(where)) {
            m_Host.ShowMessage(
                Text(StringId::kTrackDirCannotBeCreated, where,
                     std::error_code(ec.value(), std::generic_category()).message()),
                MessageIcon::kStop);
            return false;
        }
    }
    if (m_Mode == ConversionMode::kMp3ToMp3) {
        for (const TrackRecord* record : tracks) {
            if (!CTrackList::IsMp3Path(record->path)) {
                continue;
            }
            const std::string sameName =
                dir + record->path.substr(LastSeparator(record->path) == std::string::npos
                                              ? 0
                                              : LastSeparator(record->path));
            const std::string folder(DirectoryPart(record->path));
            const bool sameText = UpperAscii(sameName) == UpperAscii(record->path);
            const bool sameFolder = fs::equivalent(where, folder.empty() ? "." : folder, ec);
            if (sameText || sameFolder) {
                m_Host.ShowMessage(Text(StringId::kSameFolder), MessageIcon::kExclamation);
                return false;
            }
        }
    }
    return true;
}

bool CConversionRun::EnoughSpace(const std::string& source, IRunHost& host) {
    const std::string where = TrackDirectory();
    double free = 0;
    if (freeSpace) {
        free = freeSpace(where);
    } else {
        std::error_code ec;
        const fs::space_info info = fs::space(where, ec);
        free = ec ? 0.0 : static_cast<double>(info.available);
    }
    std::error_code ec;
    const double size = static_cast<double>(fs::file_size(source, ec));
    double factor = 1.0;
    switch (m_Mode) {
        case ConversionMode::kMp3ToWav: factor = m_Settings.uncompressed ? 15.0 : 5.0; break;
        case ConversionMode::kWavToMp3: factor = 0.1; break;
        case ConversionMode::kMp3ToMp3: factor = 1.0; break;
    }
    if (free > (ec ? 0.0 : size) * factor) {
        return true;
    }
    host.ShowMessage(Text(StringId::kNotEnoughSpace), MessageIcon::kStop);
    return false;
}

bool CConversionRun::MayWrite(const std::string& source, const std::string& output) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(output, ec))) {
        return true;
    }
    // Whatever the answer, an output never overwrites its own source.
    if (output == source || fs::equivalent(output, source, ec)) {
        m_Host.ShowMessage(Text(StringId::kOutputIsSource, output), MessageIcon::kExclamation);
        return false;
    }
    return m_Host.AskOverwrite(Text(StringId::kAskOverwrite, output)) == Answer::kYes;
}

void CConversionRun::AddAbortLine(IRunHost& host) {
    // The MP3 -> WAV run writes it in red, the encoding runs in the list's own colours.
    host.AddResult(Text(StringId::kLineAborted),
                   m_Mode == ConversionMode::kMp3ToWav ? kColourRed : kColourDefault);
}

void CConversionRun::Walk(const std::vector<TrackRecord*>& tracks, unsigned threads) {
    m_Host.ClearResults();
    if (threads > 1) {
        WalkInParallel(tracks, threads);
    } else {
        WalkInOrder(tracks);
    }
    m_Host.SetCurrentFile("");
    m_Host.SetProgress(0);
    m_Host.RunEnded();
}

void CConversionRun::WalkInOrder(const std::vector<TrackRecord*>& tracks) {
    for (std::size_t index = 0; index < tracks.size(); ++index) {
        const TrackRecord* record = tracks[index];
        if (!TakesPath(record->path)) {
            continue;
        }
        m_Host.SetCurrentFile(record->path);
        const std::string output = OutputName(record->path);
        if (!MayWrite(record->path, output)) {
            m_Outcomes.push_back({TrackOutcome::kSkipped, record, output});
            continue;
        }
        if (m_Host.IsAborted()) {
            AddAbortLine(m_Host);
            return;
        }
        const TrackResult result = ProcessTrack(index, *record, m_Host);
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

void CConversionRun::WalkInParallel(const std::vector<TrackRecord*>& tracks, unsigned threads) {
    // The questions first, in list order, so that the workers never wait for an answer.
    std::vector<std::size_t> taken;
    for (std::size_t index = 0; index < tracks.size(); ++index) {
        const TrackRecord* record = tracks[index];
        if (!TakesPath(record->path)) {
            continue;
        }
        m_Host.SetCurrentFile(record->path);
        const std::string output = OutputName(record->path);
        if (MayWrite(record->path, output)) {
            taken.push_back(index);
        } else {
            m_Outcomes.push_back({TrackOutcome::kSkipped, record, output});
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
            auto shown = std::make_shared<CDeferredHost>(m_Host);
            Work w{ProcessTrack(taken[i], *tracks[taken[i]], *shown), shown};
            return w;
        },
        [&](std::size_t i, Work& w) {
            m_Host.SetCurrentFile(tracks[taken[i]]->path);
            w.shown->Replay(m_Host);
            m_Host.SetProgress(static_cast<int>((i + 1) * 100 / taken.size()));
            m_Outcomes.push_back(w.result.outcome);
            ended = ended || !w.result.goOn;
        },
        nullptr, [&] { return ended || m_Host.IsAborted(); });
    if (!ended && delivered < taken.size() && m_Host.IsAborted()) {
        AddAbortLine(m_Host);
    }
}

CConversionRun::TrackResult CConversionRun::ProcessTrack(std::size_t index,
                                                        const TrackRecord& record,
                                                        IRunHost& host) {
    // The record is only read here; its new states go to the host.
    TrackUpdate state{index, record.checkState, record.convertState};
    return m_Mode == ConversionMode::kMp3ToWav ? ProcessMp3ToWav(record, state, host)
                                               : ProcessEncoding(record, state, host);
}

// Returns false to end the walk.
bool CConversionRun::ConvertToWav(const TrackRecord& record, TrackUpdate& state, IRunHost& host,
                                  TrackOutcome& outcome) {
    const int format = m_Settings.uncompressed ? 0 : 1;
    const std::string output = OutputName(record.path);
    bool decoded = false;
    std::string error;
    host.SetStage(Text(StringId::kStageConverting));
    try {
        CMp3ToWavJob job;
        job.Setup(record.path, output, format);
        try {
            job.Run(&host);
        } catch (...) {
            try {
                job.Close();
            } catch (...) {
            }
            throw;
        }
        job.Close();
        decoded = true;
    } catch (const CFileException& e) {
        error = e.what();
    }
    host.SetStage("");
    if (!decoded) {
        state.convertState = CannotConvert;
        host.UpdateTrack(state);
        outcome = {TrackOutcome::kFailed, &record, error};
        return true;
    }
    state.convertState = ConvertedMp3ToWav;
    host.UpdateTrack(state);
    if (host.IsAborted()) {
        outcome = {TrackOutcome::kFailed, &record, "stopped"};
        host.AddResult(Text(StringId::kLineAborted), kColourRed);
        return false;
    }
    outcome = {TrackOutcome::kConverted, &record, output};
    if (!m_Settings.normalize) {
        return true;
    }
    std::string normalizeError;
    const bool ok = NormalizeFile(
        output, TrackDirectory(), format, &host,
        [&host](const std::string& word) { host.SetStage(word); }, &normalizeError);
    host.SetStage("");
    if (!ok) {
        if (!normalizeError.empty()) {
            host.ShowMessage(normalizeError, MessageIcon::kInformation);
        }
        outcome = {TrackOutcome::kFailed, &record,
                   normalizeError.empty() ? "stopped while normalizing" : normalizeError};
        return false;
    }
    return true;
}

CConversionRun::TrackResult CConversionRun::ProcessMp3ToWav(const TrackRecord& record,
                                                            TrackUpdate& state, IRunHost& host) {
    TrackResult result;
    result.outcome = {TrackOutcome::kFailed, &record, "not converted"};
    CMP3CheckJob check;
    host.SetStage(Text(StringId::kStageAnalyzing));
    check.SetPath(record.path);
    const bool intact = check.Run(&host);
    state.checkState = intact ? AnalysedOk : AnalysedCorrupt;
    host.UpdateTrack(state);
    if (!EnoughSpace(record.path, host)) {
        check.Close();
        result.outcome.detail = "not enough disk free space";
        result.goOn = false;
        return result;
    }
    if (intact || m_Settings.convertCorrupt) {
        if (!ConvertToWav(record, state, host, result.outcome)) {
            result.goOn = false;
            return result;
        }
    } else {
        result.outcome.detail = "corrupt, not converted";
    }
    const std::uint32_t colour = intact ? kColourDefault : kColourRed;
    host.AddResult(record.path, colour);
    host.AddResult(Text(intact ? StringId::kLineOk : StringId::kLineCorrupt, ""), colour);
    host.ScrollToEnd();
    check.Close();
    return result;
}

// True when the track was encoded to its end; error holds the reason otherwise.
bool CConversionRun::Encode(const TrackRecord& record, IRunHost& host, std::string& error) {
    const std::string output = OutputName(record.path);
    host.AddResult(output, kColourDefault);
    bool aborted = false;
    try {
        std::unique_ptr<CEncodingJob> job;
        if (m_Mode == ConversionMode::kWavToMp3) {
            job = std::make_unique<CWavToMp3Job>();
        } else {
            job = std::make_unique<CMp3ToMp3Job>();
        }
        const EncoderProperties& e = m_Settings.encoder;
        job->Setup(output, record.path, e.bitRateIndex, e.qualityIndex, e.vbr);
        try {
            aborted = job->Run(&host);
        } catch (...) {
            try {
                job->Close();
            } catch (...) {
            }
            throw;
        }
        job->Close();
    } catch (const CFileException& e) {
        // An error is a failure, not a success: the user sees the system's words.
        error = e.what();
        host.ShowMessage(error, MessageIcon::kInformation);
        return false;
    }
    if (aborted) {
        error = "stopped";
        return false;
    }
    return true;
}

CConversionRun::TrackResult CConversionRun::ProcessEncoding(const TrackRecord& record,
                                                            TrackUpdate& state, IRunHost& host) {
    TrackResult result;
    if (!EnoughSpace(record.path, host)) {
        result.outcome = {TrackOutcome::kFailed, &record, "not enough disk free space"};
        result.goOn = false;
        return result;
    }
    std::string error;
    if (!Encode(record, host, error)) {
        state.convertState = CannotConvert;
        state.checkState = AnalysedCorrupt;
        host.UpdateTrack(state);
        host.AddResult(Text(StringId::kLineCorrupt, ""), kColourRed);
        result.outcome = {TrackOutcome::kFailed, &record, error};
        result.goOn = false;
        return result;
    }
    state.convertState = m_Mode == ConversionMode::kWavToMp3 ? ConvertedWavToMp3 : ReencodedMp3;
    state.checkState = AnalysedOk;
    host.UpdateTrack(state);
    host.AddResult(Text(StringId::kLineOk, ""), kColourDefault);
    host.ScrollToEnd();
    result.outcome = {TrackOutcome::kConverted, &record, OutputName(record.path)};
    return result;
}

}  // namespace sonvara
