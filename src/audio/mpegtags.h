#pragma once

#include <string>

namespace sonvara {

struct MpegTagTexts {
    std::string title;
    std::string artist;
    std::string album;
};

// Title, artist and album of an MP3 file, in UTF-8: from the ID3 version 2 tag ("TIT2";
// "TPE1", else "TPE2", "TPE3", "TCOM"; "TALB"), where it lacks a text from the ID3 version 1
// tag, then from an APE tag. Missing everywhere, or no readable file: empty.
MpegTagTexts ReadMpegTags(const std::string& path);

// Writes the non-empty texts: into the ID3 version 1 tag at the end (appended when there is
// none; its other fields kept; characters outside Latin-1 become '?'), and into the ID3
// version 2 tag when the file has one (its version and every other frame kept). The new file
// replaces the old one in one step, so a failure leaves it as it was. Throws CFileException.
void SaveMpegTags(const std::string& path, const MpegTagTexts& texts);

}  // namespace sonvara
