#include "tracks/trackrecord.h"

#include <cstdio>

#include "platform/paths.h"

namespace sonvara {

namespace {
std::string Cut(const std::string& text, std::size_t bytes) {
    return text.substr(0, Utf8CutLength(text, bytes));
}
}  // namespace

const char* CheckStateText(std::int32_t state) {
    switch (state) {
        case AnalysedOk: return "OK";
        case AnalysedCorrupt: return "Corrupt";
        default: return "no";
    }
}

const char* ConvertStateText(std::int32_t state) {
    switch (state) {
        case CannotConvert: return "can't convert";
        case ConvertedWavToMp3: return "WAV -> MP3";
        case ConvertedMp3ToWav: return "MP3 -> WAV";
        case ReencodedMp3: return "MP3 -> MP3";
        default: return "no";
    }
}

void TrackRecord::SetTitle(const std::string& text) { title = Cut(text, kTextBytes); }
void TrackRecord::SetArtist(const std::string& text) { artist = Cut(text, kTextBytes); }
void TrackRecord::SetAlbum(const std::string& text) { album = Cut(text, kTextBytes); }

void TrackRecord::SetLength(std::int32_t milliseconds) {
    lengthSeconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", milliseconds / 60000, (milliseconds / 1000) % 60);
    lengthText = Cut(text, kLengthTextBytes);
}

}  // namespace sonvara
