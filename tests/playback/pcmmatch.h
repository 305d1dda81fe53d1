#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::test {

using Samples = std::vector<std::int16_t>;

// Every sample the audio file model delivers for the track, read as the player reads it;
// seekMs >= 0 jumps there first.
Samples DecodeTrack(const std::string& path, std::int32_t seekMs = -1);

struct CaptureMatch {
    bool ok = false;
    std::string message;              // why it failed
    std::size_t leadFrames = 0;       // silent frames before the first sample
    std::size_t gapFrames = 0;        // silent frames inside the played audio
    int gapRuns = 0;                  // runs of them
    std::vector<std::size_t> played;  // frames of each segment found in the capture
};

// Checks that a stereo capture holds the segments one after another, sample for sample, with
// nothing but silent frames before, between and after them (and inside them: an interruption
// is counted as a gap). Every segment but the last may end early when the next one follows
// (a jump); the last is played whole.
CaptureMatch MatchCapture(const Samples& capture, const std::vector<Samples>& segments);

}  // namespace sonvara::test
