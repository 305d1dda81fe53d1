#pragma once

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
// tag, then from an APE tag. Missing everywhere, or no readable file: empty.
MpegTagTexts ReadMpegTags(const std::string& path);

// Writes the non-empty texts: into the ID3 version 1 tag at the end (appended when there is
// none; its other fields kept; characters outside Latin-1 become '?'), and into the ID3
// version 2 tag when the file has one (its version and every other frame kept). The new file
// replaces the old one in one step, so a failure leaves it as it was. Each of userTexts replaces
// every TXXX frame of its description (in any letter case) in the ID3 version 2 tag (one is
// made, version 2.4, when the file has none); with userTexts and no text an ID3 version 1 tag
// is neither added nor changed. Throws CFileException.
void SaveMpegTags(const std::string& path, const MpegTagTexts& texts,
                  const UserTextFrames& userTexts = {});

}  // namespace sonvara
