#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace sonvara {

struct MpegTagTexts {
    std::string title;
    std::string artist;
    std::string album;
};

// ID3 version 2 "TXXX" frames, description and value (ReplayGain).
using UserTextFrames = std::vector<std::pair<std::string, std::string>>;

// Title, artist and album of an MP3 file, in UTF-8: from the ID3 version 2 tag ("TIT2";
// "TPE1", else "TPE2", "TPE3", "TCOM"; "TALB"), where it lacks a text from the ID3 version 1
// tag, then from an APE tag. Missing everywhere, or no readable file: empty. Only the places
// tags can be are read: the ID3 version 2 tag at the start (as long as its header says) and
// the APE and version 1 tags at the end, however large the file.
MpegTagTexts ReadMpegTags(const std::string& path);

// Writes the non-empty texts that differ from what ReadMpegTags gives now, and nothing else:
// - the ID3 version 2 tag keeps its version (2.3 or 2.4; 2.2 becomes 2.4) and every frame it
//   does not change byte for byte; a changed text replaces its frame (TIT2, TPE1, TALB);
// - a file without that tag gets a version 2.4 tag when a text does not fit Latin-1;
// - the ID3 version 1 tag at the end gets the changed texts (appended when there is none; its
//   other fields kept; characters outside Latin-1 become '?').
// A tag that fits into the old tag's space is written in place, through any link, so every
// name of the file sees it. A tag that must grow makes a new file that replaces the real file
// (a link's target; the link stays) in one step, with its owner, mode and extended attributes;
// a file with more than one hard link is then refused. Each of userTexts replaces every TXXX
// frame of its description (in any letter case) in the ID3 version 2 tag (one is made, version
// 2.4, when the file has none); with userTexts and no changed text the ID3 version 1 tag is
// neither added nor changed. Throws CFileException.
void SaveMpegTags(const std::string& path, const MpegTagTexts& texts,
                  const UserTextFrames& userTexts = {});

// The ID3 version 2.4 tag of a new MP3 file (empty when it would hold nothing): the texts in
// full (the non-empty ones); from an MP3 source also every other frame of its ID3 version 2
// tag (year, track, genre, pictures, comments, ...) but those that describe the source's audio
// (gain and peak values, length, size, seek tables, encoder settings); from a WAV source the
// texts of its LIST/INFO chunk. Only the tag regions of the source are read.
std::vector<std::uint8_t> MakeOutputId3v2Tag(const MpegTagTexts& texts, const std::string& source,
                                             bool wavSource);

// Title, artist and album of an ID3 version 2 tag image as ReadMpegTags reads them.
MpegTagTexts TextsOfId3v2Tag(const std::vector<std::uint8_t>& tag);

}  // namespace sonvara
