#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jobs/runhost.h"
#include "tracks/settings.h"

namespace sonvara {

struct TrackRecord;

enum class ConversionMode { kMp3ToWav, kWavToMp3, kMp3ToMp3 };

// The settings a run reads at Start.
struct ConversionSettings {
    std::string trackDir;
    bool uncompressed = true;    // MP3 -> WAV: PCM (else IMA ADPCM)
    bool normalize = true;       // MP3 -> WAV
    bool convertCorrupt = true;  // MP3 -> WAV
    EncoderProperties encoder;   // WAV -> MP3, MP3 -> MP3
};

ConversionSettings ReadConversionSettings(CSettings& settings);

// How one track of a run ended, for callers that report per track (the batch front end).
struct TrackOutcome {
    enum Kind { kConverted, kFailed, kSkipped } kind = kConverted;
    const TrackRecord* record = nullptr;
    std::string detail;
};

// One conversion run over a list: Start checks the settings and the folders, Walk converts
// the tracks of the mode's source type in list order, writing verdicts into the records and
// result lines to the host.
class CConversionRun {
public:
    CConversionRun(ConversionMode mode, IRunHost& host) : m_Mode(mode), m_Host(host) {}

    // False, with a message to the host, when the run must not start: the track directory
    // cannot be created, or (MP3 -> MP3) it is the folder of a source.
    bool Start(const ConversionSettings& settings, const std::vector<TrackRecord*>& tracks);
    // threads > 1 converts that many tracks at once (one job each); the overwrite questions
    // are asked first, in list order, and the result lines and states come in list order.
    void Walk(const std::vector<TrackRecord*>& tracks, unsigned threads = 1);

    // The output file of a source: the track directory, the source's name without its last
    // extension, and ".wav" or ".mp3".
    std::string OutputName(const std::string& source) const;
    // Free bytes where the outputs go; replaceable for tests.
    std::function<double(const std::string& directory)> freeSpace;

    const std::vector<TrackOutcome>& Outcomes() const { return m_Outcomes; }
    const ConversionSettings& Settings() const { return m_Settings; }

private:
    // What converting one track did; goOn false ends the run.
    struct TrackResult {
        TrackOutcome outcome;
        bool goOn = true;
    };

    bool TakesPath(const std::string& path) const;
    // The track directory as a folder to use (the root when the setting was "/").
    std::string TrackDirectory() const;
    bool EnoughSpace(const std::string& source, IRunHost& host);
    // False: the track is skipped (the answer was No or Cancel, or the output is the source).
    bool MayWrite(const std::string& source, const std::string& output);
    TrackResult ProcessTrack(std::size_t index, const TrackRecord& record, IRunHost& host);
    TrackResult ProcessMp3ToWav(const TrackRecord& record, TrackUpdate& state, IRunHost& host);
    TrackResult ProcessEncoding(const TrackRecord& record, TrackUpdate& state, IRunHost& host);
    bool ConvertToWav(const TrackRecord& record, TrackUpdate& state, IRunHost& host,
                      TrackOutcome& outcome);
    bool Encode(const TrackRecord& record, IRunHost& host, std::string& error);
    void WalkInOrder(const std::vector<TrackRecord*>& tracks);
    void WalkInParallel(const std::vector<TrackRecord*>& tracks, unsigned threads);
    void AddAbortLine(IRunHost& host);

    ConversionMode m_Mode;
    IRunHost& m_Host;
    ConversionSettings m_Settings;
    std::vector<TrackOutcome> m_Outcomes;
};

}  // namespace sonvara
