#include "audio/id3v2raw.h"

#include <taglib/tstring.h>

#include <algorithm>
#include <cstring>

namespace sonvara::id3 {

namespace {

constexpr std::size_t kHeader = 10;

bool SyncSafe(const std::uint8_t* p) {
    return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0;
}

std::uint32_t SyncSafeValue(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 21 | static_cast<std::uint32_t>(p[1]) << 14 |
           static_cast<std::uint32_t>(p[2]) << 7 | p[3];
}

std::uint32_t PlainValue(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void PutSyncSafe(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>((v >> 21) & 0x7F);
    p[1] = static_cast<std::uint8_t>((v >> 14) & 0x7F);
    p[2] = static_cast<std::uint8_t>((v >> 7) & 0x7F);
    p[3] = static_cast<std::uint8_t>(v & 0x7F);
}

void PutPlain(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

bool FrameIdChar(std::uint8_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
Bytes Resynchronise(const std::uint8_t* data, std::size_t size) {
    Bytes out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00) {
            ++i;
        }
    }
    return out;
}

}  // namespace

std::uint64_t TagSpan(const std::uint8_t* head, std::size_t size) {
    if (size < kHeader || std::memcmp(head, "ID3", 3) != 0 || head[3] == 0xFF || head[4] == 0xFF ||
        !SyncSafe(head + 6)) {
        return 0;
    }
    const bool footer = head[3] >= 4 && (head[5] & 0x10) != 0;
    return kHeader + SyncSafeValue(head + 6) + (footer ? kHeader : 0);
}

std::optional<RawTag> ParseTag(const Bytes& bytes) {
    const std::uint64_t span = TagSpan(bytes.data(), bytes.size());
    if (span == 0 || span > bytes.size() || (bytes[3] != 3 && bytes[3] != 4)) {
        return std::nullopt;
    }
    RawTag tag;
    tag.major = bytes[3];
    tag.flags = bytes[5];
    const std::size_t bodySize = SyncSafeValue(bytes.data() + 6);
    Bytes body;
    if (tag.major == 3 && (tag.flags & 0x80) != 0) {
        body = Resynchronise(bytes.data() + kHeader, bodySize);
        tag.flags &= 0x7F;
    } else {
        body.assign(bytes.begin() + kHeader, bytes.begin() + kHeader + bodySize);
    }
    std::size_t at = 0;
    if ((tag.flags & 0x40) != 0) {
        if (body.size() < 4) {
            return std::nullopt;
        }
        const std::uint64_t ext =
            tag.major == 3 ? 4ull + PlainValue(body.data()) : SyncSafeValue(body.data());
        if (ext > body.size() || ext < 4) {
            return std::nullopt;
        }
        at = static_cast<std::size_t>(ext);
        tag.flags &= static_cast<std::uint8_t>(~0x40);
    }
    tag.flags &= static_cast<std::uint8_t>(~0x10);  // no footer: padding follows the frames
    while (at + kHeader <= body.size()) {
        const std::uint8_t* h = body.data() + at;
        if (!FrameIdChar(h[0]) || !FrameIdChar(h[1]) || !FrameIdChar(h[2]) || !FrameIdChar(h[3])) {
            break;
        }
        std::uint64_t size = tag.major == 3 ? PlainValue(h + 4) : SyncSafeValue(h + 4);
        if (tag.major == 4 && !SyncSafe(h + 4)) {
            size = PlainValue(h + 4);  // a writer that put a plain size into a 2.4 tag
        }
        if (at + kHeader + size > body.size()) {
            break;
        }
        RawFrame frame;
        frame.id.assign(reinterpret_cast<const char*>(h), 4);
        frame.bytes.assign(h, h + kHeader + size);
        tag.frames.push_back(std::move(frame));
        at += kHeader + static_cast<std::size_t>(size);
    }
    std::size_t end = body.size();
    while (end > at && body[end - 1] == 0) {
        --end;
    }
    tag.rest.assign(body.begin() + static_cast<std::ptrdiff_t>(at),
                    body.begin() + static_cast<std::ptrdiff_t>(end));
    return tag;
}

Bytes RenderTag(const RawTag& tag, std::size_t size) {
    Bytes out(kHeader, 0);
    std::memcpy(out.data(), "ID3", 3);
    out[3] = static_cast<std::uint8_t>(tag.major);
    out[5] = tag.flags;
    for (const RawFrame& frame : tag.frames) {
        out.insert(out.end(), frame.bytes.begin(), frame.bytes.end());
    }
    out.insert(out.end(), tag.rest.begin(), tag.rest.end());
    if (out.size() < size) {
        out.resize(size, 0);
    }
    PutSyncSafe(out.data() + 6, static_cast<std::uint32_t>(out.size() - kHeader));
    return out;
}

RawFrame TextFrame(int major, const std::string& id, const std::string& utf8) {
    const TagLib::String text(utf8, TagLib::String::UTF8);
    Bytes data;
    if (major == 3) {
        data.push_back(1);  // UTF-16 with a byte-order mark
        const TagLib::ByteVector utf16 = text.data(TagLib::String::UTF16);
        data.insert(data.end(), utf16.begin(), utf16.end());
    } else {
        data.push_back(3);  // UTF-8
        data.insert(data.end(), utf8.begin(), utf8.end());
    }
    RawFrame frame;
    frame.id = id;
    frame.bytes.assign(kHeader, 0);
    std::memcpy(frame.bytes.data(), id.data(), 4);
    const auto size = static_cast<std::uint32_t>(data.size());
    if (major == 3) {
        PutPlain(frame.bytes.data() + 4, size);
    } else {
        PutSyncSafe(frame.bytes.data() + 4, size);
    }
    frame.bytes.insert(frame.bytes.end(), data.begin(), data.end());
    return frame;
}

void ReplaceFrame(RawTag& tag, RawFrame frame) {
    auto first = std::find_if(tag.frames.begin(), tag.frames.end(),
                              [&frame](const RawFrame& f) { return f.id == frame.id; });
    if (first == tag.frames.end()) {
        tag.frames.push_back(std::move(frame));
        return;
    }
    const std::string id = frame.id;
    *first = std::move(frame);
    tag.frames.erase(std::remove_if(first + 1, tag.frames.end(),
                                    [&id](const RawFrame& f) { return f.id == id; }),
                     tag.frames.end());
}

void PutId3v1Field(std::uint8_t* image, std::size_t at, const std::string& utf8) {
    const TagLib::wstring wide = TagLib::String(utf8, TagLib::String::UTF8).toWString();
    std::memset(image + at, 0, 30);
    std::size_t n = 0;
    for (const auto c : wide) {
        if (n == 30) {
            break;
        }
        image[at + n++] = static_cast<unsigned long>(c) > 0xFF ? '?' : static_cast<std::uint8_t>(c);
    }
}

bool FitsLatin1(const std::string& utf8) {
    const TagLib::wstring wide = TagLib::String(utf8, TagLib::String::UTF8).toWString();
    return std::all_of(wide.begin(), wide.end(),
                       [](auto c) { return static_cast<unsigned long>(c) <= 0xFF; });
}

}  // namespace sonvara::id3
