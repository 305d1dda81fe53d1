#include "check/findings.h"

#include <cstdio>

namespace sonvara {

const char* FindingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::kJunkBeforeFirstFrame: return "junk_before_first_frame";
        case FindingKind::kLostSync: return "lost_sync";
        case FindingKind::kInvalidHeader: return "invalid_header";
        case FindingKind::kTruncatedFrame: return "truncated_frame";
        case FindingKind::kFormatChange: return "format_change";
        case FindingKind::kVbrHeaderMismatch: return "vbr_header_mismatch";
        case FindingKind::kCrcMismatch: return "crc_mismatch";
        case FindingKind::kId3v2PastEnd: return "id3v2_past_end";
        case FindingKind::kTagInAudio: return "tag_in_audio";
        case FindingKind::kTrailingData: return "trailing_data";
        case FindingKind::kDecodeError: return "decode_error";
    }
    return "unknown";
}

const char* FindingKindTitle(FindingKind kind) {
    switch (kind) {
        case FindingKind::kJunkBeforeFirstFrame: return "Junk before the first frame";
        case FindingKind::kLostSync: return "Lost sync";
        case FindingKind::kInvalidHeader: return "Invalid frame header";
        case FindingKind::kTruncatedFrame: return "Truncated last frame";
        case FindingKind::kFormatChange: return "Stream format changes";
        case FindingKind::kVbrHeaderMismatch: return "VBR header disagrees";
        case FindingKind::kCrcMismatch: return "CRC mismatch";
        case FindingKind::kId3v2PastEnd: return "ID3v2 tag runs past the end";
        case FindingKind::kTagInAudio: return "Tag inside the audio";
        case FindingKind::kTrailingData: return "Data after the last frame";
        case FindingKind::kDecodeError: return "Audio data damaged";
    }
    return "?";
}

const char* FindingSeverityName(FindingSeverity severity) {
    return severity == FindingSeverity::kError ? "error" : "warning";
}

std::string FormatTimeMs(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", static_cast<long long>(ms / 60000),
                  static_cast<long long>(ms / 1000 % 60), static_cast<long long>(ms % 1000));
    return text;
}

}  // namespace sonvara
