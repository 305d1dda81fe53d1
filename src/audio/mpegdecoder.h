#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace sonvara {

struct MpegStreamInfo {
    std::uint32_t sampleRate = 0;
    bool twoChannels = false;
};

// The MPEG audio decoder layer: seven operations over libmpg123. Output is 16-bit signed
// interleaved PCM at the stream's own rate and channel count; a change of either inside the
// stream starts a new block.
class CMpegDecoder {
public:
    // A decoder for the file, or null when it is not MPEG audio: the file must hold a run of
    // consistent frames near its start (after an ID3 version 2 tag), not just a stray sync.
    static std::unique_ptr<CMpegDecoder> Create(const std::string& path);
    ~CMpegDecoder();
    CMpegDecoder(const CMpegDecoder&) = delete;
    CMpegDecoder& operator=(const CMpegDecoder&) = delete;

    // Decodes the next block of up to size bytes; the byte count, 0 at the end of the stream.
    int Decode(void* buffer, std::size_t size);
    // Milliseconds of the decoding position.
    std::int32_t CurrentTime();
    // Total playing time in milliseconds, exact (the whole stream is scanned at creation).
    double Duration() const { return m_Duration; }
    // The next decoded block starts at this time (within one frame, usually to the sample).
    bool Seek(std::int32_t milliseconds);
    MpegStreamInfo StreamInfo();

private:
    struct Handle;
    explicit CMpegDecoder(std::unique_ptr<Handle> handle, std::string path);

    std::unique_ptr<Handle> m_Handle;
    std::string m_Path;
    double m_Duration = 0.0;
};

// True when the file holds a run of consistent MPEG audio frames within its first megabyte
// after an ID3 version 2 tag (or, for a short file, frames up to its end or trailing tag).
bool FindMpegFrameRun(const std::string& path);

}  // namespace sonvara
