#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara {

// What the frame walk found wrong or odd in a file, and where.
enum class FindingKind {
    kJunkBeforeFirstFrame,  // bytes between the start (or the ID3v2 tag) and the first frame
    kLostSync,              // junk between frames: the next frame is not where the last ended
    kInvalidHeader,         // a sync word whose header is malformed, where a frame should be
    kTruncatedFrame,        // the last frame runs past the end of the file
    kFormatChange,          // version, layer, sample rate or channel count changes
    kVbrHeaderMismatch,     // a Xing/Info or VBRI header's frame or byte count is wrong
    kCrcMismatch,           // the CRC of a protected Layer III frame does not match
    kId3v2PastEnd,          // the ID3v2 tag at the start claims more bytes than the file has
    kTagInAudio,            // an ID3 or APE tag where the next frame should be
    kTrailingData,          // text or other data after the last frame (known tags aside)
    kDecodeError,           // full decode: the decoder rejected a frame
};

enum class FindingSeverity {
    kError,    // makes the verdict Corrupt
    kWarning,  // the verdict stays OK
};

struct Finding {
    FindingKind kind = FindingKind::kLostSync;
    FindingSeverity severity = FindingSeverity::kWarning;
    std::int64_t offset = 0;  // byte offset in the file where it starts
    std::int64_t frame = 0;   // frames accepted before it (its frame number, from 0)
    std::int64_t timeMs = 0;  // playing time of those frames
    std::int64_t bytes = 0;   // bytes it covers
    std::string text;         // what it is, in words
};

// "lost_sync", "crc_mismatch", ...: the names the CLI and the JSON output use.
const char* FindingKindName(FindingKind kind);
// "lost sync", "CRC mismatch", ...: for people.
const char* FindingKindTitle(FindingKind kind);
const char* FindingSeverityName(FindingSeverity severity);
// "1:23.456"
std::string FormatTimeMs(std::int64_t ms);

// Findings kept per file; beyond them only a count (a file of random bytes has thousands).
inline constexpr std::size_t kMaxFindings = 200;

}  // namespace sonvara
