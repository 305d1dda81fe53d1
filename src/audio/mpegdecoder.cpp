#include "audio/mpegdecoder.h"

#include <mpg123.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <vector>

#include "audio/mpegheader.h"
#include "audio/wavecodec/sincresampler.h"
#include "platform/binaryfile.h"
#include "platform/bytereader.h"
#include "platform/file.h"
#include "platform/stopscope.h"

namespace sonvara {

namespace {

// How far past an ID3 version 2 tag the first frames must start.
constexpr std::size_t kSearchWindow = 1024 * 1024;
constexpr std::size_t kFirstLook = 48 * 1024;
// Consecutive frames of one version, layer and rate that make a stream.
constexpr int kFramesInRun = 4;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

std::string MpegFormatText(const MpegStreamInfo& info) {
    if (info.version == 0 || info.layer < 1 || info.layer > 3) {
        return "MPEG";
    }
    static const char* const kLayers[] = {"I", "II", "III"};
    std::string text = info.version == 10 ? "MPEG-1" : (info.version == 20 ? "MPEG-2" : "MPEG-2.5");
    text += " Layer ";
    text += kLayers[info.layer - 1];
    if (info.mixed) {
        text += " (mixed)";
    }
    return text;
}

namespace {

bool SameStream(const MP3FrameHeader& a, const MP3FrameHeader& b) {
    return a.mpeg1 == b.mpeg1 && a.mpeg2 == b.mpeg2 && a.mpeg25 == b.mpeg25 &&
           a.layer1 == b.layer1 && a.layer2 == b.layer2 && a.layer3 == b.layer3 &&
           a.sampleRate == b.sampleRate;
}

bool TrailerAt(const std::vector<unsigned char>& d, std::size_t at) {
    auto is = [&](const char* text, std::size_t n) {
        return at + n <= d.size() &&
               std::equal(text, text + n, d.begin() + static_cast<std::ptrdiff_t>(at));
    };
    return is("TAG", 3) || is("APETAGEX", 8) || is("LYRICSBEGIN", 11);
}

}  // namespace

namespace {

// Whether d holds a run of consistent frames starting before searchEnd; with shortStream, a
// few frames that run exactly to the end of d (the end of the file) or to a trailing tag count
// too.
bool FrameRunIn(const std::vector<unsigned char>& d, std::size_t searchEnd, bool shortStream) {
    auto headerAt = [&](std::size_t at, MP3FrameHeader& h) {
        if (at + 4 > d.size()) {
            return false;
        }
        h = MP3FrameHeader{};
        const std::uint32_t word =
            static_cast<std::uint32_t>(d[at]) << 24 | d[at + 1] << 16 | d[at + 2] << 8 | d[at + 3];
        return DecodeMpegHeader(word, h) && h.frameLength > 0;
    };
    searchEnd = std::min(searchEnd, d.size());
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
        if (shortStream && (next == d.size() || TrailerAt(d, next))) {
            return true;
        }
    }
    return false;
}

// Whether a run of consistent frames starts anywhere at or after offset.
bool FrameRunAfter(const std::string& path, std::int64_t offset) {
    CBinaryFile file;
    if (offset < 0 || !file.OpenRead(path)) {
        return false;
    }
    std::vector<unsigned char> d;
    for (std::int64_t at = offset; at < file.Size() && !StopRequested();
         at += static_cast<std::int64_t>(kSearchWindow)) {
        // No more than the file holds from there (a buffer of a megabyte costs its zeroing).
        d.resize(static_cast<std::size_t>(
            std::min<std::int64_t>(kSearchWindow + 16 * 1024, file.Size() - at)));
        file.Seek(at);
        d.resize(file.Read(d.data(), d.size()));
        if (FrameRunIn(d, kSearchWindow, false)) {
            return true;
        }
    }
    return false;
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
        start = 10 + ((head[6] & 0x7Fu) << 21 | (head[7] & 0x7Fu) << 14 | (head[8] & 0x7Fu) << 7 |
                      (head[9] & 0x7Fu));
        if ((head[5] & 0x10) != 0) {
            start += 10;  // footer
        }
    }
    // Nearly every file shows its run in the first kilobytes: those are read first, the whole
    // window only when they show none.
    for (const std::size_t window : {kFirstLook, kSearchWindow}) {
        // No more than the file holds after the tag (a buffer of a megabyte costs its zeroing).
        std::vector<unsigned char> d(static_cast<std::size_t>(std::clamp<std::int64_t>(
            file.Size() - static_cast<std::int64_t>(start), 0, window + 16 * 1024)));
        file.Seek(static_cast<std::int64_t>(start));
        d.resize(file.Read(d.data(), d.size()));
        const bool wholeFile = static_cast<std::int64_t>(start + d.size()) >= file.Size();
        if (FrameRunIn(d, window, wholeFile)) {
            return true;
        }
    }
    return false;
}

namespace {

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

// Consecutive frames of one rate and frame size.
struct StreamPart {
    std::int64_t firstFrame = 0;  // index of its first audio frame in the stream
    std::int64_t frames = 0;
    long rate = 0;
    int samplesPerFrame = 0;
};

struct StreamCount {
    std::int64_t frames = 0;       // audio frames (a Xing/Info frame not counted)
    std::int64_t samples = 0;      // their samples per channel
    std::int64_t xingFrames = -1;  // the frame count a Xing/Info header states
    int encoderDelay = -1;         // from a LAME tag: samples the encoder put in front
    int encoderPadding = -1;       // and after
    long firstRate = 0;            // of the first frame, Xing/Info included
    int firstVersion = 0;          // of the first frame: 10, 20 or 25
    int firstLayer = 0;            // of the first frame: 1 to 3
    bool mixedFormat = false;      // a later frame of another version or layer
    bool twoChannels = false;      // some audio frame has two channels
    std::vector<StreamPart> parts;
    std::string readError;  // why the file could not be read to its end
};

// The frame's length as a decoder meets it: bytes after its four header bytes.
std::int64_t BodyLength(const MP3FrameHeader& h) {
    return h.frameLength - 4;
}

// Counts the frames of the stream the way a decoder meets them: from frame to frame, and
// past damage to the next frame of the same stream. A frame of another version, layer or
// rate starts a new part of the stream when the frame after it agrees with it (joined
// encodings); on its own it is taken for damage. Bodies are skipped, not read, so this costs
// a small fraction of a decode.
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
    // Bytes read ahead to look at the next header, handed back to the walk.
    std::vector<unsigned char> back;
    std::size_t backAt = 0;
    auto nextByte = [&]() -> int {
        if (backAt < back.size()) {
            return back[backAt++];
        }
        return in.ReadByte();
    };
    auto readBlock = [&](unsigned char* out, std::size_t n) {
        const std::size_t fromBack = std::min(n, back.size() - backAt);
        std::copy_n(back.begin() + static_cast<std::ptrdiff_t>(backAt), fromBack, out);
        backAt += fromBack;
        return fromBack + in.ReadBlock(out + fromBack, n - fromBack);
    };
    auto skip = [&](std::int64_t n) {
        const auto fromBack = static_cast<std::size_t>(
            std::min<std::int64_t>(n, static_cast<std::int64_t>(back.size() - backAt)));
        backAt += fromBack;
        in.SeekForward(n - static_cast<std::int64_t>(fromBack));
    };
    auto giveBack = [&](const unsigned char* bytes, std::size_t n) {
        std::vector<unsigned char> rest(bytes, bytes + n);
        rest.insert(rest.end(), back.begin() + static_cast<std::ptrdiff_t>(backAt), back.end());
        back = std::move(rest);
        backAt = 0;
    };
    auto countFrame = [&](const MP3FrameHeader& h) {
        const int spf = SamplesPerFrame(h);
        const int version = h.mpeg1 ? 10 : (h.mpeg2 ? 20 : 25);
        const int layer = h.layer1 ? 1 : (h.layer2 ? 2 : 3);
        if (count.frames == 0) {
            count.firstVersion = version;
            count.firstLayer = layer;
        } else if (version != count.firstVersion || layer != count.firstLayer) {
            count.mixedFormat = true;
        }
        if (count.parts.empty() || count.parts.back().rate != h.sampleRate ||
            count.parts.back().samplesPerFrame != spf) {
            count.parts.push_back({count.frames, 0, h.sampleRate, spf});
        }
        ++count.parts.back().frames;
        ++count.frames;
        count.samples += spf;
        count.twoChannels = count.twoChannels || !h.singleChannel;
    };
    // The last few header words and what they decode to: frames of one stream repeat a handful
    // of words (padding on or off, a few bit rates).
    struct Decoded {
        std::uint32_t word = 0;
        bool ok = false;
        MP3FrameHeader header;
    };
    std::array<Decoded, 4> recent{};
    std::size_t nextSlot = 0;
    auto decode = [&](std::uint32_t w, MP3FrameHeader& out) {
        for (const Decoded& seen : recent) {
            if (seen.word == w && seen.word != 0) {
                out = seen.header;
                return seen.ok;
            }
        }
        Decoded& slot = recent[nextSlot];
        nextSlot = (nextSlot + 1) % recent.size();
        slot = Decoded{w, false, MP3FrameHeader{}};
        slot.ok = DecodeMpegHeader(w, slot.header) && slot.header.frameLength > 0;
        out = slot.header;
        return slot.ok;
    };
    MP3FrameHeader current;
    bool haveCurrent = false;
    std::uint32_t word = 0;
    int have = 0;  // bytes of the word that are real
    bool firstFrame = true;
    std::vector<unsigned char> frame;
    // The walk reads a mapped file in place: what it keeps lives out here, so that a file cut
    // short under it ends it with a read error (CByteReader::Walk).
    std::uint32_t sinceStopCheck = 0;
    bool stopped = false;
    auto walk = [&] {
        for (;;) {
            // Through gigabytes of foreign data a stop must still come through.
            if (++sinceStopCheck == (1u << 20)) {
                sinceStopCheck = 0;
                if (StopRequested()) {
                    stopped = true;
                    break;
                }
            }
            const int b = nextByte();
            if (b < 0) {
                break;
            }
            word = (word << 8) | static_cast<std::uint32_t>(b);
            have = std::min(have + 1, 4);
            if (have < 4 || (word & 0xFFE00000u) != 0xFFE00000u) {
                continue;
            }
            MP3FrameHeader h;
            if (!decode(word, h)) {
                continue;
            }
            if (!haveCurrent || !SameStream(current, h)) {
                // The first frame, and a frame that starts a new part, count only when the next
                // header agrees with them (or the file ends right after them); otherwise they are
                // taken for damage and the walk goes on from the byte after this sync.
                frame.resize(static_cast<std::size_t>(BodyLength(h)) + 4);
                const std::size_t got = readBlock(frame.data(), frame.size());
                const std::size_t at = frame.size() - 4;
                MP3FrameHeader after;
                const bool agrees =
                    got == at || (got == frame.size() &&
                                  (TrailerAt(frame, at) ||
                                   (DecodeMpegHeader(static_cast<std::uint32_t>(frame[at]) << 24 |
                                                         frame[at + 1] << 16 | frame[at + 2] << 8 |
                                                         frame[at + 3],
                                                     after) &&
                                    after.frameLength > 0 && SameStream(h, after))));
                giveBack(frame.data(), got);  // the walk reads them again, as body or as search
                if (!agrees) {
                    continue;
                }
                if (!haveCurrent) {
                    haveCurrent = true;
                    count.firstRate = h.sampleRate;
                }
                current = h;
            }
            const std::int64_t body = BodyLength(h);
            if (firstFrame && h.layer3) {
                firstFrame = false;
                // A Xing/Info frame carries no audio: read its body to find the counts in it.
                frame.resize(static_cast<std::size_t>(body));
                const std::size_t got = readBlock(frame.data(), frame.size());
                XingHeader xing;
                if (got == frame.size() && ReadXingHeader(h, frame.data(), got, xing)) {
                    count.xingFrames = xing.frames;
                    count.encoderDelay = xing.encoderDelay;
                    count.encoderPadding = xing.encoderPadding;
                    word = 0;
                    have = 0;
                    continue;  // not an audio frame
                }
                if (got < frame.size()) {
                    countFrame(h);
                    break;
                }
            } else {
                firstFrame = false;
                skip(body);
            }
            countFrame(h);
            word = 0;
            have = 0;
        }
    };
    in.Walk(walk);
    if (in.HasError()) {
        count.readError = in.ErrorText();
    } else if (stopped) {
        count.readError = "stopped";
    }
    return count;
}

// Samples the library leaves out at the start of a stream whose LAME tag states the encoder
// delay (gapless decoding): the delay and the decoder's own delay of 529 samples.
std::int64_t GaplessTrim(const StreamCount& count) {
    return count.encoderDelay >= 0 ? count.encoderDelay + 529 : 0;
}

}  // namespace

std::optional<double> StatedMpegDuration(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    CBinaryFile file;
    if (!file.OpenRead(path)) {
        return std::nullopt;
    }
    const std::int64_t start = StreamStart(file);
    std::int64_t end = file.Size();
    unsigned char tag[3] = {};
    if (end - 128 >= start && file.Seek(end - 128) && file.Read(tag, 3) == 3 && tag[0] == 'T' &&
        tag[1] == 'A' && tag[2] == 'G') {
        end -= 128;
    }
    std::vector<unsigned char> d(4096);
    if (!file.Seek(start)) {
        return std::nullopt;
    }
    d.resize(file.Read(d.data(), d.size()));
    const auto headerAt = [&](std::size_t at, MP3FrameHeader& h) {
        return at + 4 <= d.size() &&
               DecodeMpegHeader(static_cast<std::uint32_t>(d[at]) << 24 | d[at + 1] << 16 |
                                    d[at + 2] << 8 | d[at + 3],
                                h) &&
               h.frameLength > 4;
    };
    MP3FrameHeader first;
    MP3FrameHeader second;
    XingHeader xing;
    if (!headerAt(0, first) || !first.layer3 ||
        !headerAt(static_cast<std::size_t>(first.frameLength), second) ||
        !SameStream(first, second) ||
        !ReadXingHeader(first, d.data() + 4, static_cast<std::size_t>(first.frameLength) - 4,
                        xing) ||
        xing.frames <= 0 || xing.bytes != end - start) {
        return std::nullopt;
    }
    // The decoder's length for such a file: every frame's samples, less what gapless decoding
    // leaves out (the LAME tag's delay at the start and padding at the end).
    std::int64_t samples = xing.frames * SamplesPerFrame(first);
    if (xing.encoderDelay >= 0) {
        samples -= xing.encoderDelay + xing.encoderPadding;
    }
    if (samples <= 0 || first.sampleRate <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(samples) * 1000.0 / static_cast<double>(first.sampleRate);
}

namespace {

// The library reads the file through the platform's file, so that a failing read is told
// from the end of the file (the library ends the stream alike on both).
struct FileReader {
    static constexpr std::size_t kBufferSize = 64 * 1024;

    CFile file;
    std::int64_t position = 0;
    std::int64_t size = 0;
    bool failed = false;
    std::string error;
    // The library reads single bytes while it looks for the next frame: those come from here.
    std::unique_ptr<unsigned char[]> buffer;
    std::size_t capacity = 0;
    std::size_t buffered = 0;  // bytes of the file in buffer, from bufferStart on
    std::int64_t bufferStart = 0;

    std::size_t ReadAt(void* out, std::size_t count) {
        const std::size_t n = file.ReadAt(position, out, count);
        if (n < count && file.ErrorCode() != 0) {
            failed = true;
            error = file.ErrorText();
        }
        return n;
    }
    static mpg123_ssize_t Read(void* handle, void* out, std::size_t count) {
        auto* r = static_cast<FileReader*>(handle);
        std::size_t n = 0;
        const std::int64_t inBuffer = r->position - r->bufferStart;
        if (inBuffer >= 0 && inBuffer < static_cast<std::int64_t>(r->buffered)) {
            n = std::min(count, r->buffered - static_cast<std::size_t>(inBuffer));
            std::memcpy(out, r->buffer.get() + inBuffer, n);
        } else if (count >= kBufferSize) {
            n = r->ReadAt(out, count);
        } else {
            if (!r->buffer) {
                // Filled before it is read, and no larger than the file needs.
                r->capacity = static_cast<std::size_t>(
                    std::min<std::int64_t>(kBufferSize, std::max<std::int64_t>(r->size, 4096)));
                r->buffer.reset(new unsigned char[r->capacity]);
            }
            r->bufferStart = r->position;
            r->buffered = r->ReadAt(r->buffer.get(), r->capacity);
            n = std::min(count, r->buffered);
            std::memcpy(out, r->buffer.get(), n);
        }
        if (n == 0 && r->failed) {
            return -1;
        }
        r->position += static_cast<std::int64_t>(n);
        return static_cast<mpg123_ssize_t>(n);
    }
    static off_t Seek(void* handle, off_t offset, int whence) {
        auto* r = static_cast<FileReader*>(handle);
        std::int64_t to = offset;
        if (whence == SEEK_CUR) {
            to += r->position;
        } else if (whence == SEEK_END) {
            to += r->size;
        }
        if (to < 0) {
            return -1;
        }
        r->position = to;
        return static_cast<off_t>(to);
    }
};

}  // namespace

namespace {

// Where a part of the stream lies in the output.
struct OutputPart {
    StreamPart frames;
    double outStart = 0.0;     // output frame at which its first frame starts
    double outPerFrame = 0.0;  // output frames one of its frames gives
};

// The output the counted frames give at outRate: where each part lies and how many frames
// there are in all. Gapless decoding (a LAME tag) leaves out the encoder's delay at the start
// and its padding where the Xing/Info count says the first encoding ends, even when more
// frames follow (joined encodings); from there on the output is earlier by the padding.
struct StreamLayout {
    std::vector<OutputPart> parts;
    double outFrames = 0.0;
    bool uniform = true;  // sample positions run straight through (one part, no cut inside)
};

StreamLayout LayOut(const StreamCount& counted, long outRate) {
    StreamLayout layout;
    const std::int64_t cutAt =
        counted.encoderDelay >= 0 && counted.xingFrames > 0 && counted.xingFrames <= counted.frames
            ? counted.xingFrames
            : -1;
    const double cut = std::max(0, counted.encoderPadding - 529);
    double at = -static_cast<double>(GaplessTrim(counted));
    const double rate = static_cast<double>(outRate);
    double lastScale = 0.0;  // output frames per native frame of the piece before
    for (const StreamPart& part : counted.parts) {
        std::vector<StreamPart> pieces = {part};
        if (cutAt > part.firstFrame && cutAt < part.firstFrame + part.frames) {
            pieces = {part, part};
            pieces[0].frames = cutAt - part.firstFrame;
            pieces[1].firstFrame = cutAt;
            pieces[1].frames = part.frames - pieces[0].frames;
        }
        for (const StreamPart& piece : pieces) {
            if (piece.firstFrame == cutAt) {
                at -= cut * lastScale;
            }
            OutputPart p;
            p.frames = piece;
            p.outStart = at;
            p.outPerFrame = static_cast<double>(piece.samplesPerFrame) * rate / piece.rate;
            if (piece.rate == outRate) {
                at += p.outPerFrame * static_cast<double>(piece.frames);
            } else {
                // A converted part gives its frames at the output rate, rounded up.
                const std::int64_t in = piece.frames * piece.samplesPerFrame;
                at += static_cast<double>((in * outRate + piece.rate - 1) / piece.rate);
            }
            lastScale = rate / piece.rate;
            layout.parts.push_back(p);
        }
    }
    if (cutAt == counted.frames) {
        at -= cut * lastScale;
    }
    layout.uniform = counted.parts.size() <= 1 && (cutAt < 0 || cutAt == counted.frames);
    layout.outFrames = std::max(0.0, at);
    return layout;
}

}  // namespace

struct CMpegDecoder::Handle {
    using Part = OutputPart;

    std::unique_ptr<FileReader> reader;  // outlives the library handle that reads through it
    mpg123_handle* mh = nullptr;
    long outRate = 0;
    int channels = 0;
    // One rate and frame size throughout: the library's own sample seek is exact.
    bool uniform = true;
    std::vector<Part> parts;

    long nativeRate = 0;                        // the rate the library decodes at now
    std::unique_ptr<CSincResampler> resampler;  // when that is not the output rate
    std::vector<std::int16_t> native;           // one block as the library gives it
    std::vector<std::int16_t> converted;        // that block at the output rate
    std::vector<unsigned char> pending;         // output not yet handed out
    std::size_t pendingAt = 0;
    std::int64_t outFrames = 0;  // output frames handed out since the start
    std::int64_t skip = 0;       // output frames still to drop after a seek
    bool ended = false;
    bool failed = false;

    std::size_t FrameBytes() const { return static_cast<std::size_t>(channels) * 2; }

    ~Handle() { Close(); }
    void Close() {
        if (mh != nullptr) {
            mpg123_close(mh);
            mpg123_delete(mh);
            mh = nullptr;
        }
    }
};

CMpegDecoder::CMpegDecoder(std::unique_ptr<Handle> handle, std::string path)
    : m_Handle(std::move(handle)), m_Path(std::move(path)) {}

CMpegDecoder::~CMpegDecoder() = default;

namespace {

// A library handle on the file with 16-bit output in the given channel count at the rate of
// each frame, or null when the library finds no format. Damage is passed over as far as a
// stream can start after an ID3 tag, so that the decoder reaches the frames the length scan
// counted.
mpg123_handle* OpenHandle(const std::string& path, int channels, long& rate,
                          std::unique_ptr<FileReader>& reader) {
    reader = std::make_unique<FileReader>();
    if (!reader->file.Open(path, CFile::Mode::kRead)) {
        return nullptr;
    }
    reader->size = reader->file.Size();
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (mh == nullptr) {
        return nullptr;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(mh, MPG123_RESYNC_LIMIT, static_cast<long>(kSearchWindow), 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], channels == 2 ? MPG123_STEREO : MPG123_MONO,
                      MPG123_ENC_SIGNED_16);
    }
    int got = 0;
    int encoding = 0;
    if (mpg123_replace_reader_handle(mh, &FileReader::Read, &FileReader::Seek, nullptr) !=
            MPG123_OK ||
        mpg123_open_handle(mh, reader.get()) != MPG123_OK ||
        mpg123_getformat(mh, &rate, &got, &encoding) != MPG123_OK || rate <= 0) {
        mpg123_close(mh);
        mpg123_delete(mh);
        return nullptr;
    }
    return mh;
}

}  // namespace

std::optional<double> CountedMpegDuration(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec) || !FindMpegFrameRun(path)) {
        return std::nullopt;
    }
    const StreamCount counted = CountFrames(path);
    if (!counted.readError.empty() || counted.frames <= 0 || counted.firstRate <= 0 ||
        counted.xingFrames == counted.frames) {
        return std::nullopt;
    }
    return LayOut(counted, counted.firstRate).outFrames * 1000.0 /
           static_cast<double>(counted.firstRate);
}

std::unique_ptr<CMpegDecoder> CMpegDecoder::Create(const std::string& path, std::string* why) {
    auto refuse = [why](const std::string& reason) {
        if (why != nullptr) {
            *why = reason;
        }
        return nullptr;
    };
    {
        CBinaryFile probe;
        if (!probe.OpenRead(path)) {
            return refuse(probe.ErrorText());
        }
    }
    if (!FindMpegFrameRun(path)) {
        return refuse("not MPEG audio");
    }
    InitLibrary();
    const StreamCount counted = CountFrames(path);
    if (!counted.readError.empty()) {
        return refuse("read error: " + counted.readError);
    }
    auto handle = std::make_unique<Handle>();
    handle->channels = counted.twoChannels ? 2 : 1;
    long rate = 0;
    handle->mh = OpenHandle(path, handle->channels, rate, handle->reader);
    if (handle->mh == nullptr) {
        return refuse("not MPEG audio");
    }
    handle->outRate = counted.firstRate > 0 ? counted.firstRate : rate;
    handle->native.resize(8192);
    StreamLayout layout = LayOut(counted, handle->outRate);
    handle->parts = std::move(layout.parts);
    // The library's own sample seek is exact where sample positions run straight through.
    handle->uniform = layout.uniform;
    double outSamples = layout.outFrames;
    if (counted.xingFrames >= 0 && counted.xingFrames == counted.frames) {
        // The file's own count agrees with the frames there: the library's length stands.
        // (The frames are counted rather than taken from the library's scan, so that the
        // length is exact for a VBR file without a header and for a cut file whose header
        // claims the full length; that scan also costs a tenth of a decode, and a scanned
        // handle decodes a few samples differently.)
        const off_t stated = mpg123_length(handle->mh);
        if (stated > 0 && handle->uniform) {
            outSamples = static_cast<double>(stated);
        }
    }
    std::unique_ptr<CMpegDecoder> decoder(new CMpegDecoder(std::move(handle), path));
    decoder->m_Info.sampleRate = static_cast<std::uint32_t>(decoder->m_Handle->outRate);
    decoder->m_Info.twoChannels = decoder->m_Handle->channels == 2;
    decoder->m_Info.version = counted.firstVersion;
    decoder->m_Info.layer = counted.firstLayer;
    decoder->m_Info.mixed = counted.mixedFormat;
    decoder->m_Duration = outSamples * 1000.0 / static_cast<double>(decoder->m_Handle->outRate);
    decoder->Reset(rate);
    return decoder;
}

void CMpegDecoder::Reset(long nativeRate) {
    Handle& h = *m_Handle;
    h.pending.clear();
    h.pendingAt = 0;
    h.skip = 0;
    h.ended = false;
    h.failed = false;
    m_Error.clear();
    h.nativeRate = nativeRate;
    h.resampler.reset();
    if (nativeRate != h.outRate) {
        h.resampler = std::make_unique<CSincResampler>();
        h.resampler->Init(static_cast<std::uint32_t>(nativeRate),
                          static_cast<std::uint32_t>(h.outRate), h.channels);
    }
}

// Queues output frames, first dropping those a seek asked to skip.
void CMpegDecoder::Push(const void* data, std::size_t frames) {
    Handle& h = *m_Handle;
    const auto drop =
        static_cast<std::size_t>(std::min<std::int64_t>(h.skip, static_cast<std::int64_t>(frames)));
    h.skip -= static_cast<std::int64_t>(drop);
    const auto* bytes = static_cast<const unsigned char*>(data) + drop * h.FrameBytes();
    h.pending.insert(h.pending.end(), bytes, bytes + (frames - drop) * h.FrameBytes());
}

// The library moved to another rate: what the resampler holds of the old part comes out,
// and the new part is converted when its rate is not the output rate.
void CMpegDecoder::FollowFormat() {
    Handle& h = *m_Handle;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(h.mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        rate == h.nativeRate) {
        return;
    }
    if (h.resampler) {
        h.converted.clear();
        h.resampler->Flush(h.converted);
        Push(h.converted.data(), h.converted.size() / static_cast<std::size_t>(h.channels));
    }
    const std::vector<unsigned char> keep = std::move(h.pending);
    const std::size_t keepAt = h.pendingAt;
    const std::int64_t skip = h.skip;
    Reset(rate);
    h.pending = keep;
    h.pendingAt = keepAt;
    h.skip = skip;
}

void CMpegDecoder::EndOfStream() {
    Handle& h = *m_Handle;
    if (h.resampler) {
        h.converted.clear();
        h.resampler->Flush(h.converted);
        Push(h.converted.data(), h.converted.size() / static_cast<std::size_t>(h.channels));
        h.resampler.reset();
    }
    h.ended = true;
}

int CMpegDecoder::Decode(void* buffer, std::size_t size) {
    Handle& h = *m_Handle;
    const std::size_t frameBytes = h.FrameBytes();
    const std::size_t room = std::min<std::size_t>(size, 0x7FFFFFFF) / frameBytes * frameBytes;
    if (room == 0) {
        return 0;
    }
    int idle = 0;
    for (;;) {
        if (h.pendingAt < h.pending.size()) {
            const std::size_t n = std::min(room, h.pending.size() - h.pendingAt);
            std::memcpy(buffer, h.pending.data() + h.pendingAt, n);
            h.pendingAt += n;
            h.outFrames += static_cast<std::int64_t>(n / frameBytes);
            return static_cast<int>(n);
        }
        h.pending.clear();
        h.pendingAt = 0;
        if (h.failed) {
            return -1;
        }
        if (h.ended) {
            return 0;
        }
        std::size_t done = 0;
        const int rc = mpg123_read(h.mh, reinterpret_cast<unsigned char*>(h.native.data()),
                                   h.native.size() * sizeof(std::int16_t), &done);
        // Bytes that come with a format change are still in the old format.
        const std::size_t frames = done / frameBytes;
        if (frames > 0) {
            if (h.resampler) {
                h.converted.clear();
                h.resampler->Process(h.native.data(), frames, h.converted);
                Push(h.converted.data(), h.converted.size() / static_cast<std::size_t>(h.channels));
            } else {
                Push(h.native.data(), frames);
            }
        }
        if (rc == MPG123_OK) {
            if (done == 0 && ++idle > 64) {
                EndOfStream();  // the library makes no progress: take it as the end
            }
            continue;
        }
        if (rc == MPG123_NEW_FORMAT) {
            FollowFormat();
            continue;
        }
        // The library ends the stream on a failed read of the file too.
        if (rc == MPG123_DONE && !h.reader->failed) {
            EndOfStream();
            continue;
        }
        // Junk after the last frame ends the stream as well; only audio beyond the point
        // where the library gave up makes this an error.
        if (!h.reader->failed && mpg123_errcode(h.mh) == MPG123_RESYNC_FAIL &&
            !FrameRunAfter(m_Path, static_cast<std::int64_t>(mpg123_tell_stream(h.mh)))) {
            EndOfStream();
            continue;
        }
        char at[32];
        std::snprintf(at, sizeof at, "%.1f s", static_cast<double>(h.outFrames) / h.outRate);
        const char* text = mpg123_strerror(h.mh);
        m_Error = std::string("decoding failed at ") + at + ": " +
                  (h.reader->failed                   ? "read error: " + h.reader->error
                   : text != nullptr && *text != '\0' ? std::string(text)
                                                      : std::string("unknown decoder error"));
        h.failed = true;
    }
}

std::int32_t CMpegDecoder::CurrentTime() {
    const Handle& h = *m_Handle;
    return static_cast<std::int32_t>(static_cast<double>(h.outFrames) * 1000.0 / h.outRate);
}

// Back to the start on a fresh handle: the library's seek to sample 0 leaves some decoder
// state behind, and the first seconds would then differ in the last bit from a plain decode.
bool CMpegDecoder::Reopen() {
    Handle& h = *m_Handle;
    long rate = 0;
    std::unique_ptr<FileReader> reader;
    mpg123_handle* fresh = OpenHandle(m_Path, h.channels, rate, reader);
    if (fresh == nullptr) {
        return false;
    }
    h.Close();
    h.mh = fresh;
    h.reader = std::move(reader);
    Reset(rate);
    h.outFrames = 0;
    return true;
}

bool CMpegDecoder::Seek(std::int32_t milliseconds) {
    Handle& h = *m_Handle;
    const auto target = static_cast<std::int64_t>(static_cast<double>(std::max(0, milliseconds)) *
                                                  h.outRate / 1000.0);
    if (target == 0 && Reopen()) {
        return true;
    }
    if (!h.uniform) {
        return SeekInParts(target);
    }
    const off_t at = mpg123_seek(h.mh, static_cast<off_t>(target), SEEK_SET);
    if (at < 0) {
        return false;
    }
    Reset(h.nativeRate);
    h.outFrames = static_cast<std::int64_t>(at);
    return true;
}

// A stream whose parts differ in rate or frame size: the library's sample positions do not
// map to time across the parts, so the seek goes to the frame that holds the time and the
// output before it is dropped.
bool CMpegDecoder::SeekInParts(std::int64_t target) {
    Handle& h = *m_Handle;
    if (h.parts.empty()) {
        return false;
    }
    const double t = static_cast<double>(target);
    std::size_t p = 0;
    while (p + 1 < h.parts.size() && h.parts[p + 1].outStart <= t) {
        ++p;
    }
    const Handle::Part& part = h.parts[p];
    auto inPart = static_cast<std::int64_t>(std::floor((t - part.outStart) / part.outPerFrame));
    inPart = std::clamp<std::int64_t>(inPart, 0, std::max<std::int64_t>(0, part.frames.frames - 1));
    // A converted part is entered only where a frame starts on a whole output sample (every
    // fifth frame from 48000 to 44100 Hz), so that the converter's phase is the one the
    // plain decode has there.
    const std::int64_t perFrame =
        static_cast<std::int64_t>(part.frames.samplesPerFrame) * h.outRate;
    const std::int64_t period =
        part.frames.rate / std::gcd(perFrame, static_cast<std::int64_t>(part.frames.rate));
    if (period > 1 && period <= 16) {
        inPart -= inPart % period;
    }
    const double frameStart = part.outStart + static_cast<double>(inPart) * part.outPerFrame;
    if (frameStart < 0.0) {
        // Within the frames that gapless decoding trims at the start.
        if (!Reopen()) {
            return false;
        }
        h.skip = target;
        h.outFrames = target;
        return true;
    }
    if (mpg123_seek_frame(h.mh, static_cast<off_t>(part.frames.firstFrame + inPart), SEEK_SET) <
        0) {
        return false;
    }
    Reset(part.frames.rate);
    h.skip = std::max<std::int64_t>(0, static_cast<std::int64_t>(std::llround(t - frameStart)));
    h.outFrames = target;
    return true;
}

MpegDecodeCheck VerifyMpegDecode(const std::string& path) {
    MpegDecodeCheck check;
    InitLibrary();
    CFile in;
    if (!in.Open(path, CFile::Mode::kRead)) {
        check.error = "cannot open: " + in.ErrorText();
        return check;
    }
    const std::int64_t size = in.Size();
    if (size > (std::int64_t{1} << 30)) {
        check.error = "larger than 1 GiB: not decoded";
        return check;
    }
    std::vector<unsigned char> d(static_cast<std::size_t>(size));
    if (in.ReadAt(0, d.data(), d.size()) != d.size()) {
        check.error = "read error";
        return check;
    }
    in.Close();

    // The decoder's frames, by offset.
    std::vector<std::int64_t> decoded;
    std::vector<std::pair<std::int64_t, std::string>> rejected;
    int err = MPG123_OK;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (mh == nullptr) {
        check.error = "the decoder cannot start";
        return check;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    std::size_t count = 0;
    mpg123_rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i) {
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open_feed(mh) != MPG123_OK || mpg123_feed(mh, d.data(), d.size()) != MPG123_OK) {
        mpg123_delete(mh);
        check.error = "the decoder cannot start";
        return check;
    }
    for (int errors = 0; errors < 1000;) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        std::size_t bytes = 0;
        const int r = mpg123_decode_frame(mh, &num, &audio, &bytes);
        if (r == MPG123_OK) {
            decoded.push_back(static_cast<std::int64_t>(mpg123_framepos(mh)));
        } else if (r == MPG123_NEW_FORMAT) {
            continue;
        } else if (r == MPG123_DONE || r == MPG123_NEED_MORE) {
            break;
        } else {
            ++errors;
            rejected.emplace_back(static_cast<std::int64_t>(mpg123_framepos(mh)),
                                  mpg123_strerror(mh));
        }
    }
    mpg123_delete(mh);
    std::sort(decoded.begin(), decoded.end());
    check.framesDecoded = static_cast<std::int64_t>(decoded.size());

    // The stream frame by frame, as the frame walk meets it, against what was decoded.
    const auto headerAt = [&](std::int64_t at, MP3FrameHeader& h) {
        if (at + 4 > size || d[static_cast<std::size_t>(at)] != 0xFF) {
            return false;
        }
        const auto i = static_cast<std::size_t>(at);
        h = MP3FrameHeader{};
        return DecodeMpegHeader(static_cast<std::uint32_t>(d[i]) << 24 | d[i + 1] << 16 |
                                    d[i + 2] << 8 | d[i + 3],
                                h) &&
               h.frameLength > 4;
    };
    std::int64_t p = 0;
    if (size >= 10 && std::memcmp(d.data(), "ID3", 3) == 0) {
        p = 10 + ((d[6] & 0x7F) << 21 | (d[7] & 0x7F) << 14 | (d[8] & 0x7F) << 7 | (d[9] & 0x7F));
    }
    std::int64_t frame = 0;
    double timeMs = 0.0;
    std::int64_t reservoir = 0;  // main-data bytes of the frames right before this one
    bool first = true;
    const auto add = [&](std::int64_t at, std::int64_t bytes, std::string text) {
        if (check.problems.size() >= 200) {
            return false;
        }
        check.problems.push_back(
            {at, frame, static_cast<std::int64_t>(timeMs + 0.5), bytes, std::move(text)});
        return true;
    };
    // The run of passed-over frames being counted: its problem's index and its length.
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t run = kNone;
    std::int64_t runFrames = 0;
    bool chained = false;  // p was reached from a frame, not by a search
    const auto finishRun = [&] {
        if (run != kNone) {
            check.problems[run].text =
                runFrames == 1 ? "the decoder passed over this frame"
                               : "the decoder passed over " + std::to_string(runFrames) + " frames";
        }
        run = kNone;
    };
    while (p + 4 <= size) {
        MP3FrameHeader h;
        if (!headerAt(p, h)) {
            // A break: search the next header; the reservoir starts again after it.
            ++p;
            reservoir = 0;
            chained = false;
            finishRun();
            continue;
        }
        const int side = h.layer3 ? SideInfoLength(h) : 0;
        const std::int64_t mainAt = p + 4 + (h.crcProtected ? 2 : 0);
        const bool whole = p + h.frameLength <= size;
        if (first && h.layer3 && whole) {
            XingHeader xing;
            std::int64_t f = 0;
            std::int64_t b = 0;
            const unsigned char* body = d.data() + p + 4;
            const auto n = static_cast<std::size_t>(h.frameLength - 4);
            if (ReadXingHeader(h, body, n, xing) || ReadVbriHeader(body, n, f, b)) {
                first = false;
                timeMs += SamplesPerFrame(h) * 1000.0 / h.sampleRate;
                ++frame;  // numbered as the frame walk numbers frames
                p += h.frameLength;
                continue;  // carries no audio
            }
        }
        first = false;
        const bool wasDecoded = std::binary_search(decoded.begin(), decoded.end(), p);
        if (!wasDecoded && whole && (chained || (!decoded.empty() && p < decoded.back()))) {
            if (run != kNone && check.problems[run].offset + check.problems[run].bytes == p) {
                check.problems[run].bytes += h.frameLength;
                ++runFrames;
            } else {
                finishRun();
                if (add(p, h.frameLength, {})) {
                    run = check.problems.size() - 1;
                    runFrames = 1;
                }
            }
        } else {
            finishRun();
        }
        if (h.layer3 && whole && mainAt + side <= size) {
            const auto s = static_cast<std::size_t>(mainAt);
            const std::int64_t begin = h.mpeg1 ? (d[s] << 1 | d[s + 1] >> 7) : d[s];
            if (begin > reservoir && wasDecoded) {
                add(p, h.frameLength,
                    "its main data begins " + std::to_string(begin) +
                        " bytes before it, where the stream holds " + std::to_string(reservoir));
            }
            reservoir += h.frameLength - (mainAt - p) - side;
        }
        timeMs += SamplesPerFrame(h) * 1000.0 / h.sampleRate;
        ++frame;
        p += h.frameLength;
        chained = true;
    }
    finishRun();
    for (const auto& [at, why] : rejected) {
        check.problems.push_back({at, 0, 0, 0, "the decoder rejected a frame: " + why});
    }
    std::stable_sort(
        check.problems.begin(), check.problems.end(),
        [](const MpegDecodeProblem& a, const MpegDecodeProblem& b) { return a.offset < b.offset; });
    return check;
}

}  // namespace sonvara
