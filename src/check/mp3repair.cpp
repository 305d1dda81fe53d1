#include "check/mp3repair.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "audio/mpegheader.h"
#include "jobs/strings.h"

namespace sonvara {

namespace {

using Data = std::vector<unsigned char>;

// The fields one stream keeps: version, layer, sample rate, single channel or not.
std::uint32_t StreamKey(std::uint32_t word) {
    return (word & 0x001E0C00u) | (((word >> 6) & 3u) == 3u ? 1u : 0u);
}

std::uint32_t WordAt(const Data& d, std::int64_t at) {
    const auto i = static_cast<std::size_t>(at);
    return static_cast<std::uint32_t>(d[i]) << 24 | d[i + 1] << 16 | d[i + 2] << 8 | d[i + 3];
}

// A valid header at `at` whose frame fits before end.
bool FrameAt(const Data& d, std::int64_t at, std::int64_t end, MP3FrameHeader& h) {
    if (at + 4 > end || d[static_cast<std::size_t>(at)] != 0xFF) {
        return false;
    }
    h = MP3FrameHeader{};
    return DecodeMpegHeader(WordAt(d, at), h) && h.frameLength > 4 && at + h.frameLength <= end;
}

// count frames of one stream back to back from `at` (or fewer that end exactly at end).
bool ChainAt(const Data& d, std::int64_t at, std::int64_t end, std::uint32_t key, int count) {
    for (int i = 0; i < count; ++i) {
        if (at == end) {
            return i > 0;
        }
        MP3FrameHeader h;
        if (!FrameAt(d, at, end, h) || StreamKey(h.headerWord) != key) {
            return false;
        }
        at += h.frameLength;
    }
    return true;
}

// CRC-16/ARC, the checksum of the LAME tag.
std::uint16_t Crc16Arc(std::uint16_t crc, const unsigned char* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int b = 0; b < 8; ++b) {
            crc = (crc & 1u) != 0 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001u)
                                  : static_cast<std::uint16_t>(crc >> 1);
        }
    }
    return crc;
}

void PutWord(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

struct Frame {
    std::int64_t at;
    std::int32_t length;
    std::uint32_t word;
    bool vbrHeader;
};

}  // namespace

RepairPlan PlanMp3Repair(const Data& d, const CStrings& strings) {
    RepairPlan plan;
    const auto size = static_cast<std::int64_t>(d.size());
    if (size == 0) {
        plan.reason = strings.Text(StringId::kPlanEmptyFile);
        return plan;
    }
    if (size >= 12 && std::memcmp(d.data(), "RIFF", 4) == 0) {
        plan.reason = strings.Text(StringId::kPlanRiff);
        return plan;
    }

    // The tags: an ID3v2 tag at the start (kept when whole), ID3v1, APE and Lyrics3 at the end.
    std::int64_t begin = 0;
    bool brokenTag = false;
    if (size >= 10 && std::memcmp(d.data(), "ID3", 3) == 0 && d[3] != 0xFF &&
        ((d[6] | d[7] | d[8] | d[9]) & 0x80) == 0) {
        const std::int64_t tagEnd =
            10 + (d[6] << 21 | d[7] << 14 | d[8] << 7 | d[9]) + ((d[5] & 0x10) != 0 ? 10 : 0);
        if (tagEnd <= size) {
            begin = tagEnd;
        } else {
            brokenTag = true;
        }
    }
    std::int64_t end = size;
    const auto is = [&](std::int64_t at, const char* text) {
        const auto n = static_cast<std::int64_t>(std::strlen(text));
        return at >= begin && at + n <= size &&
               std::memcmp(d.data() + at, text, static_cast<std::size_t>(n)) == 0;
    };
    if (is(end - 128, "TAG")) {
        end -= 128;
    }
    for (bool found = true; found;) {
        found = false;
        if (is(end - 32, "APETAGEX")) {
            const unsigned char* f = d.data() + end - 32;
            const std::int64_t tagSize =
                f[12] | f[13] << 8 | f[14] << 16 | static_cast<std::int64_t>(f[15]) << 24;
            const std::int64_t start = end - tagSize - ((f[23] & 0x80) != 0 ? 32 : 0);
            if (tagSize >= 32 && start >= begin) {
                end = start;
                found = true;
            }
        } else if (is(end - 9, "LYRICS200") && end - 15 >= begin) {
            std::int64_t n = 0;
            for (std::int64_t i = end - 15; i < end - 9; ++i) {
                n = n * 10 + (d[static_cast<std::size_t>(i)] - '0');
            }
            if (n > 0 && is(end - 15 - n, "LYRICSBEGIN")) {
                end -= 15 + n;
                found = true;
            }
        }
    }

    // The frames: a stream is taken up where three of its frames follow each other and
    // followed frame by frame. A frame whose successor is not a frame cannot prove its end (its
    // tail may be lost or overwritten): it is kept only when no frame run starts within 64 KiB
    // after it, that is, when it is the stream's last frame.
    constexpr std::int64_t kLookAhead = 64 * 1024;
    std::vector<Frame> frames;
    bool chained = false;
    for (std::int64_t p = begin; p + 4 <= end;) {
        MP3FrameHeader h;
        if (FrameAt(d, p, end, h)) {
            const std::uint32_t key = StreamKey(h.headerWord);
            const std::int64_t next = p + h.frameLength;
            bool accept = false;
            if (chained && StreamKey(frames.back().word) == key) {
                MP3FrameHeader n;
                accept =
                    next == end || (FrameAt(d, next, end, n) && StreamKey(n.headerWord) == key);
                const std::int64_t until = std::min(end, next + kLookAhead);
                for (std::int64_t q = p + 1; !accept && q < until; ++q) {
                    if (d[static_cast<std::size_t>(q)] == 0xFF && ChainAt(d, q, end, key, 2)) {
                        break;
                    }
                    accept = q + 1 == until;
                }
            } else {
                accept = ChainAt(d, p, end, key, 3);
            }
            if (accept) {
                bool header = false;
                if (h.layer3) {
                    XingHeader xing;
                    std::int64_t f = 0;
                    std::int64_t b = 0;
                    const unsigned char* body = d.data() + p + 4;
                    const auto bodySize = static_cast<std::size_t>(h.frameLength - 4);
                    header = ReadXingHeader(h, body, bodySize, xing) ||
                             ReadVbriHeader(body, bodySize, f, b);
                }
                frames.push_back({p, h.frameLength, h.headerWord, header});
                p = next;
                chained = true;
                continue;
            }
        }
        chained = false;
        ++p;
    }

    // The stream's format is that of most frames.
    std::map<std::uint32_t, std::int64_t> perKey;
    for (const Frame& f : frames) {
        perKey[StreamKey(f.word)] += f.vbrHeader ? 0 : 1;
    }
    std::uint32_t key = 0;
    std::int64_t most = 0;
    for (const auto& [k, n] : perKey) {
        if (n > most) {
            key = k;
            most = n;
        }
    }
    if (most == 0) {
        plan.reason =
            strings.Text(brokenTag ? StringId::kPlanNoStreamAfterTag : StringId::kPlanNoStream);
        return plan;
    }
    const Frame* oldHeader =
        !frames.empty() && frames[0].vbrHeader && StreamKey(frames[0].word) == key ? &frames[0]
                                                                                   : nullptr;
    std::vector<const Frame*> audio;
    std::int64_t otherFormat = 0;
    std::int64_t extraHeaders = 0;
    std::int64_t audioBytes = 0;
    bool vbr = false;
    for (const Frame& f : frames) {
        if (StreamKey(f.word) != key) {
            ++otherFormat;
        } else if (f.vbrHeader) {
            extraHeaders += &f == oldHeader ? 0 : 1;
        } else {
            vbr = vbr || (!audio.empty() && ((audio[0]->word ^ f.word) & 0xF000u) != 0);
            audio.push_back(&f);
            audioBytes += f.length;
        }
    }

    // The VBR header: kept when its counts are right, else written anew.
    const auto n = static_cast<std::int64_t>(audio.size());
    Data header;
    bool headerFixed = false;
    if (oldHeader != nullptr || vbr) {
        XingHeader old;
        MP3FrameHeader oh;
        bool oldXing = false;
        if (oldHeader != nullptr) {
            DecodeMpegHeader(oldHeader->word, oh);
            oldXing = ReadXingHeader(oh, d.data() + oldHeader->at + 4,
                                     static_cast<std::size_t>(oldHeader->length - 4), old);
        }
        if (oldXing && old.frames == n && old.bytes == oldHeader->length + audioBytes &&
            old.info == !vbr) {
            header.assign(d.begin() + oldHeader->at, d.begin() + oldHeader->at + oldHeader->length);
        } else {
            // Where the old LAME tag stands, to carry it over.
            const unsigned char* lame = nullptr;
            std::uint32_t quality = 0;
            if (oldXing) {
                const unsigned char* x = d.data() + oldHeader->at + 4 + old.at;
                const std::uint32_t flags = WordAt(d, oldHeader->at + 4 + old.at + 4);
                std::size_t at = 8 + ((flags & 1) != 0 ? 4 : 0) + ((flags & 2) != 0 ? 4 : 0) +
                                 ((flags & 4) != 0 ? 100 : 0);
                if ((flags & 8) != 0) {
                    quality = WordAt(d, oldHeader->at + 4 + old.at + static_cast<std::int64_t>(at));
                    at += 4;
                }
                if (4 + old.at + at + 36 <= static_cast<std::size_t>(oldHeader->length) &&
                    std::memcmp(x + at, "LAME", 4) == 0) {
                    lame = x + at;
                }
            }
            MP3FrameHeader first;
            DecodeMpegHeader(audio[0]->word, first);
            const int side = SideInfoLength(first);
            const std::size_t need = 4 + side + 120 + (lame != nullptr ? 36 : 0);
            // No CRC, no padding, no mode extension; the smallest bit rate that holds it all.
            const std::uint32_t base = (audio[0]->word | 0x00010000u) & ~0x0000F230u;
            MP3FrameHeader h;
            for (std::uint32_t index = 1; index < 15; ++index) {
                if (DecodeMpegHeader(base | index << 12, h) &&
                    static_cast<std::size_t>(h.frameLength) >= need) {
                    break;
                }
                h.valid = false;
            }
            if (!h.valid) {
                plan.reason = strings.Text(StringId::kPlanNoVbrRate);
                plan.status = RepairPlan::kRefused;
                return plan;
            }
            header.assign(static_cast<std::size_t>(h.frameLength), 0);
            unsigned char* f = header.data();
            PutWord(f, h.headerWord);
            unsigned char* x = f + 4 + side;
            std::memcpy(x, vbr ? "Xing" : "Info", 4);
            const std::int64_t bytes = h.frameLength + audioBytes;
            PutWord(x + 4, 0x0F);
            PutWord(x + 8, static_cast<std::uint32_t>(n));
            PutWord(x + 12, static_cast<std::uint32_t>(bytes));
            // The seek table: for each percent of the time, the byte position of its frame as a
            // share of 256 of the stream.
            std::vector<std::int64_t> startOf(audio.size() + 1, h.frameLength);
            for (std::size_t i = 0; i < audio.size(); ++i) {
                startOf[i + 1] = startOf[i] + audio[i]->length;
            }
            for (int i = 0; i < 100; ++i) {
                const auto k = static_cast<std::size_t>(static_cast<double>(n) * i / 100.0);
                x[16 + i] = static_cast<unsigned char>(
                    std::min<std::int64_t>(255, startOf[k] * 256 / bytes));
            }
            PutWord(x + 116, quality);
            if (lame != nullptr) {
                unsigned char* l = x + 120;
                std::memcpy(l, lame, 36);
                PutWord(l + 28, static_cast<std::uint32_t>(bytes));
                std::uint16_t music = 0;
                for (const Frame* a : audio) {
                    music = Crc16Arc(music, d.data() + a->at, static_cast<std::size_t>(a->length));
                }
                l[32] = static_cast<unsigned char>(music >> 8);
                l[33] = static_cast<unsigned char>(music);
                const std::uint16_t tag = Crc16Arc(0, f, static_cast<std::size_t>(l + 34 - f));
                l[34] = static_cast<unsigned char>(tag >> 8);
                l[35] = static_cast<unsigned char>(tag);
            }
            headerFixed = true;
        }
    }

    // The copy.
    Data& out = plan.output;
    out.reserve(d.size());
    out.insert(out.end(), d.begin(), d.begin() + begin);
    out.insert(out.end(), header.begin(), header.end());
    for (const Frame* a : audio) {
        plan.frames.push_back({a->at, static_cast<std::int64_t>(out.size()), a->length});
        out.insert(out.end(), d.begin() + a->at, d.begin() + a->at + a->length);
    }
    out.insert(out.end(), d.begin() + end, d.end());
    if (out == d) {
        plan.status = RepairPlan::kUnchanged;
        plan.output.clear();
        return plan;
    }

    std::int64_t framesBytes = oldHeader != nullptr ? oldHeader->length : 0;
    for (const Frame& f : frames) {
        framesBytes += &f == oldHeader ? 0 : f.length;
    }
    plan.droppedBytes = end - begin - framesBytes;
    plan.droppedFrames = otherFormat + extraHeaders;
    plan.headerWritten = headerFixed;
    std::string done;
    const auto add = [&done](const std::string& part) {
        done += (done.empty() ? "" : "; ") + part;
    };
    if (brokenTag) {
        add(strings.Text(StringId::kPlanDroppedTag));
    }
    if (plan.droppedBytes > 0) {
        add(strings.Text(StringId::kPlanDroppedJunk, std::to_string(plan.droppedBytes)));
    }
    if (otherFormat > 0) {
        add(strings.Text(StringId::kPlanDroppedOtherFormat, std::to_string(otherFormat)));
    }
    if (extraHeaders > 0) {
        add(strings.Text(StringId::kPlanDroppedVbrHeaders, std::to_string(extraHeaders)));
    }
    if (headerFixed) {
        add(strings.Text(
            oldHeader != nullptr ? StringId::kPlanCorrectedHeader : StringId::kPlanWroteHeader,
            vbr ? "Xing" : "Info", std::to_string(n)));
    }
    add(strings.Text(StringId::kPlanKept, std::to_string(n)));
    plan.done = done;
    plan.status = RepairPlan::kRepaired;
    return plan;
}

}  // namespace sonvara
