#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "audio/mpegtags.h"
#include "convert/loudnessscan.h"

namespace sonvara {

class IRunHost;
struct TrackRecord;

struct LoudnessRunOptions {
    bool album = false;      // album values for the tracks of one folder with the same album tag
    bool writeTags = false;  // ReplayGain tags into the MP3 files measured
    bool oneAlbum = false;   // with album: all the tracks form one album (a selection)
    unsigned threads = 1;
};

// The album values of the tracks of one folder that share an album tag.
struct AlbumLoudness {
    std::string folder;
    std::string name;
    bool ok = false;
    std::string reason;
    LoudnessValues values;
    std::vector<std::size_t> members;  // indices into the records of the run
};

struct LoudnessRunResult {
    std::vector<bool> measured;         // per record: the run reached it (not stopped before)
    std::vector<TrackLoudness> tracks;  // per record (meters released)
    std::vector<int> albumOf;           // per record: index into albums, -1 for none
    std::vector<AlbumLoudness> albums;
    // Per record, with writeTags: why the tags of a measured MP3 could not be written ("" when
    // they were, and for every other file).
    std::vector<std::string> tagResults;
    bool stopped = false;
};

// The ReplayGain 2.0 frames for a track (and its album when given): gains as "-6.53 dB"
// against -18 LUFS, peaks (the true peak, 1.0 = full scale, as loudgain writes it) as
// "0.988831".
UserTextFrames ReplayGainFrames(const LoudnessValues& track, const LoudnessValues* album);

// The loudness run: every record's file is decoded and measured (EBU R 128), on `threads`
// workers, delivered in list order: a result line pair each (the values, or why not), the
// record's loudness through UpdateTrack. Then the album values, and with writeTags the
// ReplayGain tags of each MP3 measured, written through the tag saving of the properties sheet.
// A stop request is seen before each file.
LoudnessRunResult RunLoudness(const std::vector<TrackRecord*>& tracks, IRunHost& host,
                              const LoudnessRunOptions& options);

// "-14.32 LUFS", "-0.41 dBTP", "7.2 LU".
std::string LufsText(double lufs);
std::string DbtpText(const LoudnessValues& values);
std::string LuText(double lu);

}  // namespace sonvara
