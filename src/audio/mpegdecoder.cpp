#include "audio/mpegdecoder.h"

#include <mpg123.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/bytereader.h"
#include "audio/mpegheader.h"
#include "platform/binaryfile.h"

namespace sonvara {

namespace {

// How far past an ID3 version 2 tag the first frames must start.
constexpr std::size_t kSearchWindow = 1024 * 1024;
// Consecutive frames of one version, layer and rate that make a stream.
constexpr int kFramesInRun = 4;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

bool SameStream(const MP3FrameHeader& a, const MP3FrameHeader& b) {
    return a.mpeg1 == b.mpeg1 && a.mpeg2 == b.mpeg2 && a.mpeg25 == b.mpeg25 &&
           a.layer1 == b.layer1 && a.layer2 == b.layer2 && a.layer3 == b.layer3 &&
           a.sampleRate == b.sampleRate;
}

bool TrailerAt(const std::vector<unsigned char>& d, std::size_t at) {
    auto is = [&](const char* text, std::size_t n) {
        return at + n <= d.size() && std::equal(text, text + n, d.begin() + static_cast<std::ptrdiff_t>(at));
    };
    return is("TAG", 3) || is("APETAGEX", 8) || is("LYRICSBEGIN", 11);
}

}  // namespace

bool FindMpegFrameRun(const std::string& path) {
    CBinaryFile file;
    if (!file.OpenRead(path)) {
        return false;
    }
    unsigned char head[10] = {};
    std::size_t start = 0;
    if (file.Read(head, 10) == 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        start = 10 + ((head[6] & 0x7Fu) << 21 | (head[7] & 0x7Fu) << 14 |
                      (head[8] & 0x7Fu) << 7 | (head[9] & 0x7Fu));
        if ((head[5] & 0x10) != 0) {
            start += 10;  // footer
        }
    }
    std::vector<unsigned char> d(kSearchWindow + 16 * 1024);
    file.Seek(static_cast<std::int64_t>(start));
    d.resize(file.Read(d.data(), d.size()));
    const bool wholeFile = static_cast<std::int64_t>(start + d.size()) >= file.Size();
    auto headerAt = [&](std::size_t at, MP3FrameHeader& h) {
        if (at + 4 > d.size()) {
            return false;
        }
        h = MP3FrameHeader{};
        const std::uint32_t word = static_cast<std::uint32_t>(d[at]) << 24 | d[at + 1] << 16 |
                                   d[at + 2] << 8 | d[at + 3];
        return DecodeMpegHeader(word, h) && h.frameLength > 0;
    };
    const std::size_t searchEnd = std::min(d.size(), kSearchWindow);
    for (std::size_t at = 0; at + 4 <= searchEnd; ++at) {
        if (d[at] != 0xFF) {
            continue;
        }
        MP3FrameHeader first;
        if (!headerAt(at, first)) {
            continue;
        }
        int frames = 1;
        std::size_t next = at + static_cast<std::size_t>(first.frameLength);
        MP3FrameHeader h;
        while (frames < kFramesInRun && headerAt(next, h) && SameStream(first, h)) {
            ++frames;
            next += static_cast<std::size_t>(h.frameLength);
        }
        if (frames >= kFramesInRun) {
            return true;
        }
        // A short file: its few frames run exactly to the end or to a trailing tag.
        if (wholeFile && (next == d.size() || TrailerAt(d, next))) {
            return true;
        }
    }
    return false;
}

namespace {

int SamplesPerFrame(const MP3FrameHeader& h) {
    if (h.layer1) {
        return 384;
    }
    return h.layer3 && !h.mpeg1 ? 576 : 1152;
}

// Where the audio starts: after an ID3 version 2 tag (and its footer).
std::int64_t StreamStart(CBinaryFile& file) {
    unsigned char head[10] = {};
    file.Seek(0);
    if (file.Read(head, 10) != 10 || head[0] != 'I' || head[1] != 'D' || head[2] != '3') {
        return 0;
    }
    std::int64_t start = 10 + ((head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 |
                               (head[8] & 0x7F) << 7 | (head[9] & 0x7F));
    if ((head[5] & 0x10) != 0) {
        start += 10;
    }
    return start;
}

struct StreamCount {
    std::int64_t frames = 0;    // audio frames (a Xing/Info frame not counted)
    std::int64_t samples = 0;   // their samples per channel
    std::int64_t xingFrames = -1;  // the frame count a Xing/Info header states
    int encoderDelay = -1;      // from a LAME tag: samples the encoder put in front
    int encoderPadding = -1;    // and after
};

// Counts the frames of the stream the way a decoder meets them: from frame to frame, and
// past damage to the next frame of the same stream. Bodies are skipped, not read, so this
// costs a small fraction of a decode.
StreamCount CountFrames(const std::string& path) {
    StreamCount count;
    CByteReader in;
    if (!in.Open(path)) {
        return count;
    }
    std::int64_t start = 0;
    {
        CBinaryFile probe;
        if (probe.OpenRead(path)) {
            start = StreamStart(probe);
        }
    }
    in.SeekForward(start);
    MP3FrameHeader first;
    bool haveFirst = false;
    std::uint32_t word = 0;
    int have = 0;  // bytes of the word that are real
    bool firstFrame = true;
    for (;;) {
        const int b = in.ReadByte();
        if (b < 0) {
            break;
        }
        word = (word << 8) | static_cast<std::uint32_t>(b);
        have = std::min(have + 1, 4);
        if (have < 4 || (word & 0xFFE00000u) != 0xFFE00000u) {
            continue;
        }
        MP3FrameHeader h;
        if (!DecodeMpegHeader(word, h) || h.frameLength <= 0 ||
            (haveFirst && !SameStream(first, h))) {
            continue;
        }
        if (!haveFirst) {
            first = h;
            haveFirst = true;
        }
        const std::int64_t body = h.frameLength - 4;
        if (firstFrame && h.layer3) {
            firstFrame = false;
            // A Xing/Info frame carries no audio: read its body to find the counts in it.
            std::vector<unsigned char> frame(static_cast<std::size_t>(body));
            const std::size_t got = in.ReadBlock(frame.data(), frame.size());
            const std::size_t side = (h.mpeg1 ? (h.singleChannel ? 17 : 32) : (h.singleChannel ? 9 : 17)) +
                                     (h.crcProtected ? 2 : 0);
            if (got == frame.size() && side + 8 <= got &&
                (std::equal(frame.begin() + side, frame.begin() + side + 4, "Xing") ||
                 std::equal(frame.begin() + side, frame.begin() + side + 4, "Info"))) {
                std::size_t at = side + 4;
                const std::uint32_t flags = static_cast<std::uint32_t>(frame[at]) << 24 | frame[at + 1] << 16 |
                                            frame[at + 2] << 8 | frame[at + 3];
                at += 4;
                if ((flags & 1) != 0 && at + 4 <= got) {
                    count.xingFrames = static_cast<std::int64_t>(frame[at]) << 24 | frame[at + 1] << 16 |
                                       frame[at + 2] << 8 | frame[at + 3];
                    at += 4;
                }
                at += (flags & 2) != 0 ? 4 : 0;
                at += (flags & 4) != 0 ? 100 : 0;
                at += (flags & 8) != 0 ? 4 : 0;
                // The LAME tag: encoder delay and padding, 12 bits each, 21 bytes in.
                if (at + 24 <= got && std::equal(frame.begin() + at, frame.begin() + at + 4, "LAME")) {
                    const std::size_t d = at + 21;
                    count.encoderDelay = frame[d] << 4 | frame[d + 1] >> 4;
                    count.encoderPadding = (frame[d + 1] & 0x0F) << 8 | frame[d + 2];
                }
                word = 0;
                have = 0;
                continue;  // not an audio frame
            }
            if (got < frame.size()) {
                ++count.frames;
                count.samples += SamplesPerFrame(h);
                break;
            }
        } else {
            firstFrame = false;
            in.SeekForward(body);
        }
        ++count.frames;
        count.samples += SamplesPerFrame(h);
        word = 0;
        have = 0;
    }
    return count;
}

}  // namespace

struct CMpegDecoder::Handle {
    mpg123_handle* mh = nullptr;
    ~Handle() {
        if (mh != nullptr) {
            mpg123_close(mh);
            mpg123_delete(mh);
        }
    }
};

CMpegDecoder::CMpegDecoder(std::unique_ptr<Handle> handle, std::string path)
    : m_Handle(std::move(handle)), m_Path(std::move(path)) {}

CMpegDecoder::~CMpegDecoder() = default;

namespace {

// A library handle on the file with 16-bit output at the stream's own rate and channels, or
// null when the library finds no format.
mpg123_handle* OpenHandle(const std::string& path, long& rate) {
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (mh == nullptr) {
        return nullptr;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    int channels = 0;
    int encoding = 0;
    if (mpg123_open(mh, path.c_str()) != MPG123_OK ||
        mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    return mh;
}

}  // namespace

std::unique_ptr<CMpegDecoder> CMpegDecoder::Create(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !FindMpegFrameRun(path)) {
        return nullptr;
    }
    InitLibrary();
    long rate = 0;
    auto handle = std::make_unique<Handle>();
    handle->mh = OpenHandle(path, rate);
    if (handle->mh == nullptr) {
        return nullptr;
    }
    // The length is counted frame by frame, so that it is exact for a VBR file without a
    // header and for a cut file whose header claims the full length. Where the file's own
    // Xing/Info count agrees with the frames there, the library's length stands (it knows the
    // encoder's delay and padding); otherwise the counted samples, less what the library trims
    // at the start of a gapless stream. (The library's own scan gives the same figures but
    // costs a tenth of a decode, and a scanned handle decodes a few samples differently.)
    const StreamCount counted = CountFrames(path);
    std::int64_t samples = counted.samples;
    if (counted.xingFrames >= 0 && counted.xingFrames == counted.frames) {
        const off_t stated = mpg123_length(handle->mh);
        if (stated > 0) {
            samples = stated;
        }
    } else if (counted.encoderDelay >= 0) {
        samples = std::max<std::int64_t>(0, samples - counted.encoderDelay - 529);
    }
    std::unique_ptr<CMpegDecoder> decoder(new CMpegDecoder(std::move(handle), path));
    decoder->m_Duration = samples > 0 ? static_cast<double>(samples) * 1000.0 / rate : 0.0;
    return decoder;
}

int CMpegDecoder::Decode(void* buffer, std::size_t size) {
    mpg123_handle* mh = m_Handle->mh;
    for (;;) {
        std::size_t done = 0;
        const int rc = mpg123_read(mh, static_cast<unsigned char*>(buffer), size, &done);
        if (done > 0) {
            return static_cast<int>(done);
        }
        if (rc == MPG123_NEW_FORMAT) {
            continue;  // the next block carries the new format
        }
        return 0;  // the end, or an error the stream cannot get past
    }
}

std::int32_t CMpegDecoder::CurrentTime() {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_Handle->mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        return 0;
    }
    const off_t sample = mpg123_tell(m_Handle->mh);
    return sample > 0 ? static_cast<std::int32_t>(static_cast<double>(sample) * 1000.0 / rate) : 0;
}

bool CMpegDecoder::Seek(std::int32_t milliseconds) {
    if (milliseconds <= 0) {
        // Back to the start on a fresh handle: the library's seek to sample 0 leaves some
        // decoder state behind, and the first seconds would then differ in the last bit from
        // a plain decode.
        long rate = 0;
        if (mpg123_handle* fresh = OpenHandle(m_Path, rate)) {
            mpg123_close(m_Handle->mh);
            mpg123_delete(m_Handle->mh);
            m_Handle->mh = fresh;
            return true;
        }
    }
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(m_Handle->mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0) {
        return false;
    }
    const auto sample = static_cast<off_t>(static_cast<double>(std::max(0, milliseconds)) * rate / 1000.0);
    return mpg123_seek(m_Handle->mh, sample, SEEK_SET) >= 0;
}

MpegStreamInfo CMpegDecoder::StreamInfo() {
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    MpegStreamInfo info;
    if (mpg123_getformat(m_Handle->mh, &rate, &channels, &encoding) == MPG123_OK) {
        info.sampleRate = static_cast<std::uint32_t>(rate);
        info.twoChannels = channels == 2;
    }
    return info;
}

}  // namespace sonvara
