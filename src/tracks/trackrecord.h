#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "jobs/strings.h"

namespace sonvara {

enum CheckState : std::int32_t { NotAnalysed = 0, AnalysedOk = 1, AnalysedCorrupt = 2 };
enum ConvertState : std::int32_t {
    NotConverted = 0,
    CannotConvert = 1,
    ConvertedWavToMp3 = 2,
    ConvertedMp3ToWav = 3,
    ReencodedMp3 = 4,
};

// The texts under which lists and reports show the states, from the program's strings.
std::string CheckStateText(std::int32_t state, const CStrings& strings);
std::string ConvertStateText(std::int32_t state, const CStrings& strings);

// One entry of the working list. The path is the identity and is kept whole; the tag texts
// are cut to 127 bytes and the length text to 135, at a character boundary.
struct TrackRecord {
    static constexpr std::size_t kTextBytes = 127;
    static constexpr std::size_t kLengthTextBytes = 135;

    std::string title;
    std::string artist;
    std::string album;
    std::string lengthText;
    std::string path;
    std::int32_t lengthSeconds = 0;
    std::int32_t checkState = NotAnalysed;
    std::int32_t convertState = NotConverted;
    // Integrated loudness in LUFS once measured; NaN until then.
    double loudness = std::numeric_limits<double>::quiet_NaN();

    void SetTitle(const std::string& text);
    void SetArtist(const std::string& text);
    void SetAlbum(const std::string& text);
    // Length in milliseconds: whole seconds, and "m:ss".
    void SetLength(std::int32_t milliseconds);
};

}  // namespace sonvara
