#pragma once

#include <memory>
#include <string>

#include "audio/loudnessmeter.h"

namespace sonvara {

class IProgressSink;

// One track measured by EBU R 128, decoded by the same readers as a conversion (MP3 through
// the MPEG decoder, WAV through the wave file model).
struct TrackLoudness {
    bool ok = false;
    bool stopped = false;  // a stop request came before the end
    // Why there is no loudness: "too short", "silent", or why the file could not be read.
    std::string reason;
    LoudnessValues values;
    std::string album;  // the file's album tag
    // The meter, kept for album values when asked for.
    std::shared_ptr<const CLoudnessMeter> meter;
};

TrackLoudness MeasureTrackLoudness(const std::string& path, IProgressSink* sink,
                                   bool keepMeter = false);

// The texts of a failure for result lines.
std::string LoudnessFailureText(LoudnessFailure failure);

}  // namespace sonvara
