#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/runhost.h"
#include "runs/trackresult.h"
#include "tracks/settings.h"

namespace sonvara {

class CAtomicFile;
struct TrackRecord;

enum class ConversionMode { kMp3ToWav, kWavToMp3, kMp3ToMp3 };

// The settings a run reads at Start.
struct ConversionSettings {
    std::string trackDir;
    bool uncompressed = true;  // MP3 -> WAV: PCM (else IMA ADPCM)
    bool normalize = true;     // MP3 -> WAV
    NormalizeMode normalizeMode = NormalizeMode::kPeak;
    int loudnessTarget = -18;    // LUFS, for NormalizeMode::kLoudness
    bool convertCorrupt = true;  // MP3 -> WAV
    EncoderProperties encoder;   // WAV -> MP3, MP3 -> MP3
};

ConversionSettings ReadConversionSettings(CSettings& settings);

// One conversion run over a list: Start checks the settings and the folders, Walk converts
// the tracks of the mode's source type in list order, reporting verdicts and result lines to
// the host.
//
// What a run promises: every output is written under a temporary name beside its final name
// and renamed into place only when complete (a stop, an error or a kill never leaves a cut
// file under a final name); two tracks of one run never write the same output (the later one
// is skipped with a line that says why, found before the first file is written); a file is
// replaced only when the user agreed to replace it, and never when this run wrote it; a link
// is replaced, never written through; one failed track does not end the walk (only a full
// disk, a Cancel at the overwrite question and a stop request do).
class CConversionRun {
public:
    CConversionRun(ConversionMode mode, IRunHost& host);
    ~CConversionRun();

    // False, with a message to the host, when the run must not start: (MP3 -> MP3) the track
    // directory is the folder of a source, as the file system sees it, or the track directory
    // cannot be created. The folder test comes first, so a refused run makes nothing.
    bool Start(const ConversionSettings& settings, const std::vector<TrackRecord*>& tracks);
    // threads > 1 converts that many tracks at once (one job each); the overwrite questions
    // are asked first, in list order, and the result lines and states come in list order.
    void Walk(const std::vector<TrackRecord*>& tracks, unsigned threads = 1);

    // The output file of a source: the track directory, the source's name without its last
    // extension, and ".wav" or ".mp3", made a valid file name.
    std::string OutputName(const std::string& source) const;
    // Free bytes where the outputs go (nothing: they cannot be measured); replaceable for tests.
    std::function<std::optional<double>(const std::string& directory)> freeSpace;

    // One result per track the walk reached, in list order.
    const std::vector<TrackResult>& Results() const { return m_Results; }
    const ConversionSettings& Settings() const { return m_Settings; }

    struct Planned;  // one track the run takes (conversionrun.cpp)

private:
    enum class Space { kEnough, kShort, kUnknown };
    enum class Decision { kGo, kSkip, kCancel };
    struct Written;  // the outputs this run has put in place
    struct Step;     // what a mode's own step did (conversionrun.cpp)

    bool TakesPath(const std::string& path) const;
    ResultShape Shape() const;
    // The track directory as a folder to use (the root when the setting was "/").
    std::string TrackDirectory() const;
    Space CheckSpace(const std::string& source, IRunHost& host);
    std::vector<Planned> Plan(const std::vector<TrackRecord*>& tracks) const;
    // The overwrite question and the refusal to write over a source.
    Decision Decide(Planned& track, const std::string& source);
    // Converts the tracks taken, one after another on this thread or on `threads` workers;
    // each result is shown and kept in list order. Returns how many were converted; `ended`
    // turns true when a result ends the run.
    std::size_t ConvertTaken(const std::vector<TrackRecord*>& tracks,
                             const std::vector<const Planned*>& taken, unsigned threads,
                             bool& ended);
    // One track, from the check of its source to its output in place. New states and messages
    // go to the host; the result lines are the result's.
    TrackResult ConvertOne(const Planned& track, const TrackRecord& record, IRunHost& host);
    // The modes' own steps into the temporary output: decode (and normalise), or encode.
    Step Decode(const std::string& source, const std::string& temp, const std::string& output,
                IRunHost& host);
    Step Encode(const std::string& source, const std::string& temp, const std::string& output,
                IRunHost& host);
    // Puts a complete temporary output in place; false with the reason.
    bool PutInPlace(CAtomicFile& file, const Planned& track, std::string& reason);

    ConversionMode m_Mode;
    IRunHost& m_Host;
    ConversionSettings m_Settings;
    std::vector<TrackResult> m_Results;
    std::unique_ptr<Written> m_Written;
};

}  // namespace sonvara
