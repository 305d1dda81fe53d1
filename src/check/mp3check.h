#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "audio/mpegheader.h"

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

private:
    std::array<std::int32_t, kOptionCount> m_Options{};
    MP3StreamState m_State;
    std::int64_t m_FramesFound = 0;
    bool m_OpenFailed = false;
    bool m_ReadFailed = false;
    std::string m_FailureText;
};

}  // namespace sonvara
