#pragma once

#include <string_view>

namespace sonvara {

// The kind of track a path names, by its extension in any letter case: ".MP3" an MPEG file,
// ".WAV" a WAVE file, anything else none. The list, the runs and the audio file model ask it.
enum class TrackKind { kNone, kMpeg, kWave };
TrackKind TrackKindOf(std::string_view path);

// A name the folder list and a drop take as a track file: it ends in "mp3" or "wav" in any
// letter case, with or without a dot before ("notes_wav" is one, "track.mp3x" is not).
bool IsTrackFileName(std::string_view name);

}  // namespace sonvara
