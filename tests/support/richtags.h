#pragma once

#include <string>
#include <vector>

namespace sonvara::test {

// Copies an MP3 and gives the copy, with mutagen (Debian's python3-mutagen), an ID3 version
// 2.3 or 2.4 tag of everything a collection holds: title, a two-value artist, album, track,
// year (2.3) or genre (2.4), TSIZ, TLEN, RVAD, RVA2, a ReplayGain TXXX, a comment, lyrics and
// a picture, and an ID3 version 1 tag.
void MakeRichTaggedMp3(const std::string& source, const std::string& target, int version);

// The frames of the file's ID3 version 2 tag as "ID hex-of-the-whole-frame", in their order,
// after a first line "v2.N"; read by Python, independently of our reader.
std::vector<std::string> Id3Frames(const std::string& path);

// Runs a Python script with Debian's python3 (which has mutagen); its standard output.
std::string Python(const std::string& script);

}  // namespace sonvara::test
