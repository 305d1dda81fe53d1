#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/mpegheader.h"
#include "check/findings.h"
#include "jobs/strings.h"

namespace sonvara {

class IProgressSink;

// Where the walk stands. Positions are 64-bit so that files over 4 GiB are walked correctly.
struct MP3StreamState {
    std::int64_t bytesRead = 0;
    std::int64_t goodFrames = 0;
    std::int64_t errors = 0;
    std::int64_t expectedPosition = 4;  // bytes read right after the next header's four bytes
};

// Decides whether an MPEG audio file is intact by walking it frame by frame: every malformed
// header and every well-formed header that is not where the previous frame said the next one
// begins counts as an error.
class CMP3Check {
public:
    static constexpr int kOptionCount = 11;
    // Walk the whole file; without it the walk stops after the first accepted frame.
    static constexpr int kOptionWholeFile = 0;
    // The other flag the check job sets; no behaviour hangs on it.
    static constexpr int kOptionJob = 9;

    CMP3Check() = default;
    virtual ~CMP3Check() = default;

    void ClearOptions() { m_Options.fill(0); }
    void SetOption(int index, bool on) { m_Options.at(index) = on ? 1 : 0; }
    bool GetOption(int index) const { return m_Options.at(index) != 0; }

    // Walks the file; true when no error was counted. A file that cannot be opened is not
    // intact (false); OpenFailed and FailureText then say why.
    // The findings' texts come from the sink's strings (English without a sink).
    bool CheckFile(const std::string& path, IProgressSink* sink);

    // Fills header from the 32-bit header word and returns its valid flag.
    static bool DecodeHeader(std::uint32_t word, MP3FrameHeader& header) {
        return DecodeMpegHeader(word, header);
    }

    const MP3StreamState& GetStreamState() const { return m_State; }
    // Valid headers the walk accepted, wherever they stood.
    std::int64_t GetFramesFound() const { return m_FramesFound; }
    bool OpenFailed() const { return m_OpenFailed; }
    // A read error cut the walk short: the verdict covers only what was read.
    bool ReadFailed() const { return m_ReadFailed; }
    const std::string& FailureText() const { return m_FailureText; }

    // What the walk found, in file order: every error (each counted error lies in one) and
    // every warning. At most kMaxFindings; FindingsLeftOut counts the rest.
    const std::vector<Finding>& GetFindings() const { return m_Findings; }
    std::int64_t FindingsLeftOut() const { return m_LeftOut; }
    // Audio frames of the stream (a Xing/Info/VBRI frame not counted) and their playing time.
    std::int64_t GetAudioFrames() const { return m_AudioFrames; }
    std::int64_t GetLengthMs() const { return m_LengthMs; }

    // One fact the walk notes while it reads; turned into findings after it (the walk keeps
    // nothing with a destructor on its stack).
    struct Note {
        FindingKind kind;
        bool error;
        std::int64_t offset;
        std::int64_t frame;
        double timeMs;
        std::int64_t bytes;
        std::int64_t a;  // kind-specific: invalid headers in a gap, header words, CRCs
        std::int64_t b;
    };

private:
    void AddNote(const Note& note);
    void Conclude(const std::string& path, std::int64_t fileSize);

    std::array<Note, kMaxFindings> m_Notes{};  // no allocation per file or in the walk
    std::size_t m_NoteCount = 0;
    std::vector<Finding> m_Findings;
    std::int64_t m_LeftOut = 0;
    std::int64_t m_AudioFrames = 0;
    std::int64_t m_LengthMs = 0;
    // Kept for Conclude: the end of the audio, the Xing/VBRI frame and its counts.
    std::int64_t m_AudioEnd = 0;  // end of the last frame (may lie past the file's end)
    std::int64_t m_LastFrameStart = -1;
    std::int64_t m_ErrorsAtAnchor = 0;  // errors counted when the last frame was accepted
    std::int64_t m_FramesAtEnd = 0;
    double m_TimeAtEnd = 0.0;
    double m_LastFrameMs = 0.0;
    std::int64_t m_ErrorsAtEnd = 0;
    std::int64_t m_InvalidSinceAnchor = 0;
    std::int64_t m_VbrStart = -1;  // offset of a frame holding a Xing/Info/VBRI header
    std::int64_t m_VbrFrameLength = 0;
    double m_VbrFrameMs = 0.0;
    bool m_Vbri = false;
    std::int64_t m_VbrFrames = -1;
    std::int64_t m_VbrBytes = -1;
    std::array<unsigned char, 200> m_FirstBody{};
    std::size_t m_FirstBodySize = 0;
    MP3FrameHeader m_FirstHeader{};

private:
    std::array<std::int32_t, kOptionCount> m_Options{};
    MP3StreamState m_State;
    std::int64_t m_FramesFound = 0;
    bool m_OpenFailed = false;
    bool m_ReadFailed = false;
    std::string m_FailureText;
    const CStrings* m_Strings = &EnglishStrings();  // the sink's, during CheckFile
};

}  // namespace sonvara
