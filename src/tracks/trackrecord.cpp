#include "tracks/trackrecord.h"

#include <cstdio>

#include "jobs/strings.h"
#include "platform/paths.h"

namespace sonvara {

namespace {
std::string Cut(const std::string& text, std::size_t bytes) {
    return text.substr(0, Utf8CutLength(text, bytes));
}
}  // namespace

std::string CheckStateText(std::int32_t state, const CStrings& strings) {
    switch (state) {
        case AnalysedOk: return strings.Text(StringId::kCheckOk);
        case AnalysedCorrupt: return strings.Text(StringId::kCheckCorrupt);
        default: return strings.Text(StringId::kCheckNo);
    }
}

std::string ConvertStateText(std::int32_t state, const CStrings& strings) {
    switch (state) {
        case CannotConvert: return strings.Text(StringId::kConvertCannot);
        case ConvertedWavToMp3: return strings.Text(StringId::kConvertWavToMp3);
        case ConvertedMp3ToWav: return strings.Text(StringId::kConvertMp3ToWav);
        case ReencodedMp3: return strings.Text(StringId::kConvertMp3ToMp3);
        default: return strings.Text(StringId::kConvertNo);
    }
}

void TrackRecord::SetTitle(const std::string& text) {
    title = Cut(text, kTextBytes);
}
void TrackRecord::SetArtist(const std::string& text) {
    artist = Cut(text, kTextBytes);
}
void TrackRecord::SetAlbum(const std::string& text) {
    album = Cut(text, kTextBytes);
}

void TrackRecord::SetLength(std::int32_t milliseconds) {
    lengthSeconds = milliseconds / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", milliseconds / 60000, (milliseconds / 1000) % 60);
    lengthText = Cut(text, kLengthTextBytes);
}

}  // namespace sonvara
