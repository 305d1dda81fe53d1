#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sonvara {

struct MpegStreamInfo {
    std::uint32_t sampleRate = 0;
    bool twoChannels = false;
    int version = 0;     // of the first frame: 10 (MPEG-1), 20 (MPEG-2) or 25 (MPEG-2.5)
    int layer = 0;       // of the first frame: 1, 2 or 3
    bool mixed = false;  // later frames are of another version or layer
};

// "MPEG-1 Layer III", "MPEG-2.5 Layer II", ...; with " (mixed)" when later frames differ.
std::string MpegFormatText(const MpegStreamInfo& info);

// The MPEG audio decoder layer: seven operations over libmpg123. Output is 16-bit signed
// interleaved PCM in ONE format for the whole stream, whatever its frames do part-way: two
// channels when any frame has two (single-channel parts then come as two equal channels), and
// the rate of the first frame (parts at another rate are converted to it). The whole stream
// is walked frame header by frame header at creation, so the format and the length are known
// before the first block is decoded.
class CMpegDecoder {
public:
    // A decoder for the file, or null when it cannot be decoded; then *why (when given) says
    // why: the system's reason when the file cannot be opened, "not MPEG audio" when it does
    // not hold a run of consistent frames near its start (after an ID3 version 2 tag).
    static std::unique_ptr<CMpegDecoder> Create(const std::string& path,
                                                std::string* why = nullptr);
    ~CMpegDecoder();
    CMpegDecoder(const CMpegDecoder&) = delete;
    CMpegDecoder& operator=(const CMpegDecoder&) = delete;

    // Decodes the next block of up to size bytes (whole sample frames); the byte count, 0 at
    // the end of the stream, -1 when decoding failed before the end (Error says why; every
    // later call gives -1 too, until a Seek).
    int Decode(void* buffer, std::size_t size);
    // Why the last Decode gave -1.
    const std::string& Error() const { return m_Error; }
    // Milliseconds of the decoding position.
    std::int32_t CurrentTime();
    // Total playing time in milliseconds, exact (the whole stream is scanned at creation).
    double Duration() const { return m_Duration; }
    // The next decoded block starts at this time (within one frame, usually to the sample).
    bool Seek(std::int32_t milliseconds);
    // The output format: the same for every block.
    MpegStreamInfo StreamInfo() const { return m_Info; }

private:
    struct Handle;
    CMpegDecoder(std::unique_ptr<Handle> handle, std::string path);

    void Reset(long nativeRate);
    void Push(const void* data, std::size_t frames);
    void FollowFormat();
    void EndOfStream();
    bool Reopen();
    bool SeekInParts(std::int64_t target);

    std::unique_ptr<Handle> m_Handle;
    std::string m_Path;
    double m_Duration = 0.0;
    MpegStreamInfo m_Info;
    std::string m_Error;
};

// True when the file holds a run of consistent MPEG audio frames within its first megabyte
// after an ID3 version 2 tag (or, for a short file, frames up to its end or trailing tag).
bool FindMpegFrameRun(const std::string& path);

// The length in milliseconds that a Layer III file states in its Xing/Info header (with the
// encoder delay and padding of its LAME tag taken off), the length the decoder gives for it,
// but known from the first frame alone. Only for a file as its encoder wrote it: the stream
// begins right after the ID3 version 2 tag, the frame after the header frame belongs to the
// same stream, and the header's byte count is exactly the bytes up to the end of the file or
// its ID3 version 1 tag. Otherwise (no header, a cut or joined file, damage at the start,
// other tags at the end) nothing: the frames have to be counted.
std::optional<double> StatedMpegDuration(const std::string& path);

// The length in milliseconds the decoder gives for a file whose header does not state it
// (see StatedMpegDuration), from its counted frames alone, without opening a decoder. Nothing
// when the frames cannot all be counted or the file's Xing/Info count agrees with them (the
// decoder's own length stands then): the decoder has to be asked.
std::optional<double> CountedMpegDuration(const std::string& path);

// Full-decode verification: what the decoder (libmpg123) could not decode in a file. Each
// problem starts at a frame: one the decoder rejected or passed over (a run of them is one
// problem), or a Layer III frame whose main data begins before the first byte the stream
// holds ahead of it (at the start, or after a break in the stream).
struct MpegDecodeProblem {
    std::int64_t offset = 0;
    std::int64_t frame = 0;   // audio frames before it
    std::int64_t timeMs = 0;  // their playing time
    std::int64_t bytes = 0;
    std::string text;
};
struct MpegDecodeCheck {
    std::int64_t framesDecoded = 0;
    std::vector<MpegDecodeProblem> problems;
    std::string error;  // the file could not be read or decoded at all
};
MpegDecodeCheck VerifyMpegDecode(const std::string& path);

}  // namespace sonvara
