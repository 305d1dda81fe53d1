#pragma once

#include <memory>
#include <string>

#include "audio/audiofile.h"

namespace sonvara {

class CArchive;

// The kind for a listed track: ".MP3" -> MPEG, ".WAV" -> WAVE, anything else none.
std::unique_ptr<CAudioFile> CreateTrackAudioFile(const std::string& upperExtension);
// The kind for a path read back from an archive or bound to a disc track: ".MP3" and ".DLL"
// -> MPEG, every other extension -> WAVE.
std::unique_ptr<CAudioFile> CreateArchivedAudioFile(const std::string& upperExtension);

// A serialisable list item that owns one audio file.
class CAudioTrack {
public:
    static constexpr const char* kRuntimeClassName = "CAudioTrack";

    // Empty, as the archive creates an item before loading it.
    CAudioTrack() = default;
    // Binds a new file of the kind the extension names and loads its format, length and tags.
    // Throws std::invalid_argument for a path that is neither .MP3 nor .WAV.
    explicit CAudioTrack(const std::string& path);
    // Takes over a file that is already bound to its path, of whatever kind.
    explicit CAudioTrack(std::unique_ptr<CAudioFile> file);
    ~CAudioTrack();
    CAudioTrack(const CAudioTrack&) = delete;
    CAudioTrack& operator=(const CAudioTrack&) = delete;

    void Serialize(CArchive& archive);

    // The file, still owned by the track; null for an empty track.
    CAudioFile* GetFile() const { return m_pFile.get(); }
    std::string GetFileName() const;
    const std::string& GetExtension() const { return m_Extension; }
    // Length in units of 1/75 second.
    std::int32_t GetLengthInFrames() const;

private:
    std::unique_ptr<CAudioFile> m_pFile;
    std::string m_Extension;
};

}  // namespace sonvara
