#include "audio/trackkind.h"

#include "platform/paths.h"

namespace sonvara {

TrackKind TrackKindOf(std::string_view path) {
    const std::string extension = UpperExtension(path);
    if (extension == ".MP3") {
        return TrackKind::kMpeg;
    }
    return extension == ".WAV" ? TrackKind::kWave : TrackKind::kNone;
}

bool IsTrackFileName(std::string_view name) {
    if (name.size() < 3) {
        return false;
    }
    const std::string last = UpperAscii(name.substr(name.size() - 3));
    return last == "MP3" || last == "WAV";
}

}  // namespace sonvara
