#include "convert/conversionrun.h"

#include <filesystem>

#include "audio/fileexception.h"
#include "check/mp3checkjob.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "convert/normalize.h"
#include "convert/runhost.h"
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
    const std::string where = dir.empty() ? std::string(1, PreferredSeparator()) : dir;
    if (!fs::is_directory(where, ec)) {
        fs::create_directories(where, ec);
        if (ec || !fs::is_directory(where)) {
            m_Host.ShowMessage("The track directory " + where + " cannot be created: " +
                                   std::error_code(ec.value(), std::generic_category()).message(),
                               IRunHost::Icon::kStop);
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
                m_Host.ShowMessage(
                    "ATTENTION: The track directory for your original files AND\n"
                    "the directory for your output files are the same. If you\n"
                    "proceed the original file(s) will be overwritten.\n"
                    "Please change the track directory in the register \"General\".\n"
                    "Click on \"Settings\" to open the configuration dialog.",
                    IRunHost::Icon::kExclamation);
                return false;
            }
        }
    }
    return true;
}

bool CConversionRun::EnoughSpace(const std::string& source) {
    const std::string where = m_Settings.trackDir.empty() ? std::string(1, PreferredSeparator())
                                                          : m_Settings.trackDir;
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
    m_Host.ShowMessage("Not enough disk free space", IRunHost::Icon::kStop);
    return false;
}

bool CConversionRun::MayWrite(const std::string& source, const std::string& output) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(output, ec))) {
        return true;
    }
    // Whatever the answer, an output never overwrites its own source.
    if (output == source || fs::equivalent(output, source, ec)) {
        m_Host.ShowMessage("The output file\n" + output + "\nis the source itself; it is not written.",
                           IRunHost::Icon::kExclamation);
        return false;
    }
    return m_Host.AskOverwrite("The file \n" + output + "\nalready exists, should it overwrite ?") ==
           IRunHost::Answer::kYes;
}

void CConversionRun::Walk(const std::vector<TrackRecord*>& tracks) {
    if (m_Mode == ConversionMode::kMp3ToWav) {
        WalkMp3ToWav(tracks);
    } else {
        WalkEncoding(tracks);
    }
    EndOfRun();
}

void CConversionRun::EndOfRun() {
    m_Host.SetCurrentFile("");
    m_Host.SetProgress(0);
    m_Host.RunEnded();
}

// Returns false to end the walk.
bool CConversionRun::ConvertToWav(TrackRecord& record) {
    const int format = m_Settings.uncompressed ? 0 : 1;
    const std::string output = OutputName(record.path);
    bool decoded = false;
    std::string error;
    m_Host.SetStage("Converting");
    try {
        CMp3ToWavJob job;
        job.Setup(record.path, output, format);
        try {
            job.Run(&m_Host);
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
    m_Host.SetStage("");
    if (!decoded) {
        record.convertState = CannotConvert;
        m_Outcomes.push_back({TrackOutcome::kFailed, &record, error});
        return true;
    }
    record.convertState = ConvertedMp3ToWav;
    if (m_Host.IsAborted()) {
        m_Outcomes.push_back({TrackOutcome::kFailed, &record, "stopped"});
        m_Host.AddResult(kAbortedLine, kColourRed);
        return false;
    }
    if (!m_Settings.normalize) {
        m_Outcomes.push_back({TrackOutcome::kConverted, &record, output});
        return true;
    }
    std::string normalizeError;
    const bool ok = NormalizeFile(
        output, m_Settings.trackDir.empty() ? std::string(1, PreferredSeparator()) : m_Settings.trackDir,
        format, &m_Host, [this](const std::string& word) { m_Host.SetStage(word); }, &normalizeError);
    m_Host.SetStage("");
    if (!ok) {
        if (!normalizeError.empty()) {
            m_Host.ShowMessage(normalizeError, IRunHost::Icon::kInformation);
        }
        m_Outcomes.push_back({TrackOutcome::kFailed, &record,
                              normalizeError.empty() ? "stopped while normalizing" : normalizeError});
        return false;
    }
    m_Outcomes.push_back({TrackOutcome::kConverted, &record, output});
    return true;
}

void CConversionRun::WalkMp3ToWav(const std::vector<TrackRecord*>& tracks) {
    CMP3CheckJob check;
    m_Host.ClearResults();
    for (TrackRecord* record : tracks) {
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
            check.Close();
            m_Host.AddResult(kAbortedLine, kColourRed);
            return;
        }
        m_Host.SetStage("Analyzing");
        check.SetPath(record->path);
        const bool intact = check.Run(&m_Host);
        std::uint32_t colour = kColourDefault;
        const char* verdict = kOkLine;
        if (intact) {
            record->checkState = AnalysedOk;
            if (!EnoughSpace(record->path)) {
                return;
            }
            if (!ConvertToWav(*record)) {
                return;
            }
        } else {
            record->checkState = AnalysedCorrupt;
            if (!EnoughSpace(record->path)) {
                check.Close();
                return;
            }
            if (m_Settings.convertCorrupt) {
                if (!ConvertToWav(*record)) {
                    return;
                }
            } else {
                m_Outcomes.push_back({TrackOutcome::kFailed, record, "corrupt, not converted"});
            }
            colour = kColourRed;
            verdict = kCorruptLine;
        }
        m_Host.AddResult(record->path, colour);
        m_Host.AddResult(verdict, colour);
        m_Host.ScrollToEnd();
        check.Close();
    }
}

// True when the track was encoded to its end; error holds the reason otherwise.
bool CConversionRun::Encode(TrackRecord& record, std::string& error) {
    const std::string output = OutputName(record.path);
    m_Host.AddResult(output, kColourDefault);
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
            aborted = job->Run(&m_Host);
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
        m_Host.ShowMessage(error, IRunHost::Icon::kInformation);
        return false;
    }
    if (aborted) {
        error = "stopped";
        return false;
    }
    return true;
}

void CConversionRun::WalkEncoding(const std::vector<TrackRecord*>& tracks) {
    m_Host.ClearResults();
    for (TrackRecord* record : tracks) {
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
            m_Host.AddResult(kAbortedLine, kColourDefault);
            return;
        }
        if (!EnoughSpace(record->path)) {
            return;
        }
        std::string error;
        if (!Encode(*record, error)) {
            record->convertState = CannotConvert;
            record->checkState = AnalysedCorrupt;
            m_Host.AddResult(kCorruptLine, kColourRed);
            m_Outcomes.push_back({TrackOutcome::kFailed, record, error});
            return;
        }
        record->convertState =
            m_Mode == ConversionMode::kWavToMp3 ? ConvertedWavToMp3 : ReencodedMp3;
        record->checkState = AnalysedOk;
        m_Host.AddResult(kOkLine, kColourDefault);
        m_Host.ScrollToEnd();
        m_Outcomes.push_back({TrackOutcome::kConverted, record, output});
    }
}

}  // namespace sonvara
