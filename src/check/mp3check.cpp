#include "check/mp3check.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "jobs/progresssink.h"
#include "jobs/strings.h"
#include "platform/binaryfile.h"
#include "platform/bytereader.h"

namespace sonvara {

namespace {

constexpr std::uint32_t kSyncMask = 0xFFE00000u;
constexpr std::uint32_t kId3Magic = 0x494433u;  // "ID3"

const MP3FrameHeader& BlankHeader() {
    static const MP3FrameHeader blank{};
    return blank;
}

// Truncates a non-negative percentage; an unbounded one saturates instead of overflowing.
int ToPercent(double value) {
    if (!(value >= 0.0)) {
        return 0;
    }
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(value);
}

// The fields that stay the same through one stream: version, layer, sample rate and whether
// the frames are single-channel (stereo modes may alternate frame by frame).
std::uint32_t FormatKey(std::uint32_t word) {
    return (word & 0x001E0C00u) | (((word >> 6) & 3u) == 3u ? 1u : 0u);
}

// CRC-16 (polynomial 0x8005, start 0xFFFF) as a protected frame states it, a byte at a time.
struct CrcTable {
    std::array<std::uint16_t, 256> entries{};
    CrcTable() {
        for (unsigned i = 0; i < 256; ++i) {
            auto crc = static_cast<std::uint16_t>(i << 8);
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc & 0x8000u) != 0 ? static_cast<std::uint16_t>((crc << 1) ^ 0x8005u)
                                           : static_cast<std::uint16_t>(crc << 1);
            }
            entries[i] = crc;
        }
    }
};
const CrcTable kCrcTable;

std::uint16_t Crc16(std::uint16_t crc, const unsigned char* data, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrcTable.entries[(crc >> 8) ^ data[i]]);
    }
    return crc;
}

std::string FormatText(std::uint32_t word) {
    MP3FrameHeader h;
    DecodeMpegHeader(word, h);
    const char* version = h.mpeg1 ? "MPEG-1" : h.mpeg2 ? "MPEG-2" : "MPEG-2.5";
    const char* layer = h.layer1 ? "I" : h.layer2 ? "II" : "III";
    return std::string(version) + " Layer " + layer + " " + std::to_string(h.sampleRate) + " Hz " +
           (h.singleChannel ? "mono" : "stereo");
}

std::string InvalidHeaderText(const CStrings& strings, std::uint32_t word,
                              std::int64_t bytesToNext) {
    MP3FrameHeader h;
    DecodeMpegHeader(word, h);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(word));
    const StringId why = h.reservedVersion   ? StringId::kHeaderReservedVersion
                         : h.reservedLayer   ? StringId::kHeaderReservedLayer
                         : h.sampleRate == 0 ? StringId::kHeaderReservedRate
                         : h.bitRate == 0    ? StringId::kHeaderForbiddenRate
                         : h.bitRate == 1    ? StringId::kHeaderFreeFormat
                                             : StringId::kHeaderRateNotAllowed;
    return strings.Text(StringId::kFindingBadHeader, hex, strings.Text(why),
                        std::to_string(bytesToNext));
}

}  // namespace

void CMP3Check::AddNote(const Note& note) {
    if (m_NoteCount < m_Notes.size()) {
        m_Notes[m_NoteCount++] = note;
    } else {
        ++m_LeftOut;
    }
}

bool CMP3Check::CheckFile(const std::string& path, IProgressSink* sink) {
    m_State = MP3StreamState{};
    m_FramesFound = 0;
    m_OpenFailed = false;
    m_ReadFailed = false;
    m_FailureText.clear();
    m_Strings = &StringsOf(sink);
    m_NoteCount = 0;
    m_Findings.clear();
    m_LeftOut = 0;
    m_AudioFrames = 0;
    m_LengthMs = 0;
    m_AudioEnd = 0;
    m_LastFrameStart = -1;
    m_ErrorsAtAnchor = 0;
    m_InvalidSinceAnchor = 0;
    m_VbrStart = -1;
    m_VbrFrames = -1;
    m_VbrBytes = -1;
    m_Vbri = false;
    m_FirstBodySize = 0;

    CByteReader in;
    if (!in.Open(path)) {
        m_OpenFailed = true;
        m_FailureText = in.ErrorText();
        return false;
    }
    const std::int64_t fileSize = in.Size();
    const bool wholeFile = GetOption(kOptionWholeFile);

    MP3StreamState& st = m_State;
    MP3FrameHeader header = BlankHeader();
    std::uint32_t word = 0;
    bool resync = true;
    double estimatedFrames = 0.0;
    // Findings: where the next frame should start (the end of the last one, or the end of the
    // ID3v2 tag), what stood there, the playing time so far, the format of the last frame.
    std::int64_t anchor = 0;
    std::uint32_t anchorWord = 0;
    double timeMs = 0.0;
    std::uint32_t lastKey = 0;
    std::uint32_t lastWord = 0;
    double frameMs = 0.0;  // of the last frame's format
    std::int64_t invalidSinceAnchor = 0;
    std::int64_t errorsAtAnchor = 0;
    std::int64_t lastFrameStart = -1;

    // The progress step that ends every pass of the walk.
    auto reportProgress = [&] {
        if (st.goodFrames == 1) {
            estimatedFrames = header.frameLength > 0
                                  ? static_cast<double>(fileSize) / header.frameLength
                                  : std::numeric_limits<double>::infinity();
        } else if (st.goodFrames >= 2 && sink != nullptr && st.goodFrames % 200 != 0) {
            sink->SetProgress(
                ToPercent(static_cast<double>(st.goodFrames) * 100.0 / estimatedFrames));
        }
    };

    // The walk reads the file in place when it is mapped: everything it keeps lives out here,
    // so that a file cut short under it ends it with a read error (CByteReader::Walk).
    auto walk = [&] {
        for (;;) {
            if (resync) {
                word = 0;
                for (int i = 0; i < 4; ++i) {
                    const int b = in.ReadByte();
                    if (b < 0) {
                        break;
                    }
                    word = (word << 8) | static_cast<std::uint32_t>(b);
                    ++st.bytesRead;
                }
                if (st.bytesRead - 4 == anchor) {
                    anchorWord = word;
                }
            } else {
                // Searching: a pass can only find a header when the byte three passes back is 0xFF.
                // While none of the three newest bytes is 0xFF, the passes up to the next 0xFF byte
                // find nothing, so they are taken in one step. Their progress reports would all
                // repeat one value; one report below stands for them.
                if ((word & 0xFFu) != 0xFFu && (word & 0xFF00u) != 0xFF00u &&
                    (word & 0xFF0000u) != 0xFF0000u) {
                    const std::int64_t skipped = in.SkipUntilByte(0xFF);
                    if (skipped > 0) {
                        st.bytesRead += skipped;
                        word = 0;  // the skipped bytes are not 0xFF; zeros stand in for them
                        reportProgress();
                    }
                }
                const int b = in.ReadByte();
                if (b < 0) {
                    break;
                }
                word = (word << 8) | static_cast<std::uint32_t>(b);
                ++st.bytesRead;
            }

            if ((word & kSyncMask) == kSyncMask) {
                header = BlankHeader();
                if (!DecodeHeader(word, header)) {
                    ++st.errors;  // the resync flag keeps its value
                    ++invalidSinceAnchor;
                } else {
                    ++m_FramesFound;
                    resync = true;
                    const std::int64_t start = st.bytesRead - 4;
                    if (st.goodFrames > 0 && st.bytesRead != st.expectedPosition) {
                        ++st.errors;
                    } else if (st.bytesRead == st.expectedPosition) {
                        ++st.goodFrames;
                    }
                    const std::uint32_t key = FormatKey(word);
                    if (start != anchor || invalidSinceAnchor > 0) {
                        // The bytes since the last frame (or the start) hold no frame.
                        const bool leading = m_FramesFound == 1;
                        const FindingKind kind =
                            leading ? FindingKind::kJunkBeforeFirstFrame
                            : ((anchorWord >> 8) == kId3Magic || (anchorWord >> 8) == 0x544147u ||
                               anchorWord == 0x41504554u)
                                ? FindingKind::kTagInAudio
                            : (anchorWord & kSyncMask) == kSyncMask ? FindingKind::kInvalidHeader
                                                                    : FindingKind::kLostSync;
                        AddNote({kind, st.errors != errorsAtAnchor, anchor, m_FramesFound - 1,
                                 timeMs, start - anchor, invalidSinceAnchor, anchorWord});
                    } else if (key != lastKey && m_FramesFound > 1) {
                        AddNote({FindingKind::kFormatChange, false, start, m_FramesFound - 1,
                                 timeMs, header.frameLength, lastWord, word});
                    }
                    if (key != lastKey || m_FramesFound == 1) {
                        frameMs = SamplesPerFrame(header) * 1000.0 / header.sampleRate;
                    }
                    lastKey = key;
                    lastWord = word;
                    invalidSinceAnchor = 0;
                    errorsAtAnchor = st.errors;
                    lastFrameStart = start;
                    anchor = start + header.frameLength;
                    anchorWord = 0;
                    if (m_FramesFound == 1) {
                        m_FirstHeader = header;
                        m_VbrStart = start;
                        m_VbrFrameMs = frameMs;
                    }
                    timeMs += frameMs;

                    std::int64_t body = header.frameLength - 4;
                    if (header.crcProtected) {
                        unsigned char crc[2] = {0, 0};
                        st.bytesRead += static_cast<std::int64_t>(in.ReadBlock(crc, 2));
                        header.storedCrc = static_cast<std::uint16_t>((crc[0] << 8) | crc[1]);
                        body -= 2;
                        if (m_FramesFound == 1) {
                            m_FirstBody[0] = crc[0];
                            m_FirstBody[1] = crc[1];
                        }
                    }
                    st.expectedPosition =
                        st.bytesRead + header.frameLength - (header.crcProtected ? 2 : 0);
                    // The start of the body, read for a CRC to check or a Xing/Info/VBRI header
                    // in the first frame; the rest is skipped as before.
                    std::int64_t taken = 0;
                    unsigned char* const head = m_FirstBody.data() + 2;
                    const bool first = m_FramesFound == 1 && header.layer3;
                    const std::int64_t want =
                        first ? std::min<std::int64_t>(body, m_FirstBody.size() - 2)
                        : header.crcProtected && header.layer3
                            ? std::min<std::int64_t>(body, SideInfoLength(header))
                            : 0;
                    if (want > 0) {
                        taken = static_cast<std::int64_t>(
                            in.ReadBlock(head, static_cast<std::size_t>(want)));
                        if (first) {
                            m_FirstBodySize = static_cast<std::size_t>(taken);
                        }
                        if (header.crcProtected && header.layer3 &&
                            taken >= SideInfoLength(header)) {
                            const unsigned char two[2] = {static_cast<unsigned char>(word >> 8),
                                                          static_cast<unsigned char>(word)};
                            const std::uint16_t crc =
                                Crc16(Crc16(0xFFFF, two, 2), head,
                                      static_cast<std::size_t>(SideInfoLength(header)));
                            if (crc != header.storedCrc) {
                                AddNote({FindingKind::kCrcMismatch, false, start, m_FramesFound - 1,
                                         timeMs - frameMs, header.frameLength, header.storedCrc,
                                         crc});
                            }
                        }
                    }
                    if (header.crcProtected) {
                        const std::int64_t got =
                            taken +
                            (body - taken > 0 && taken == want ? in.ReadSkip(body - taken) : 0);
                        st.bytesRead += got;
                        if (got < body) {
                            break;
                        }
                    } else if (in.SeekForward(body - taken)) {
                        st.bytesRead += body;
                    }
                    if (!wholeFile) {
                        break;
                    }
                }
            } else if (st.bytesRead == 4 && (word >> 8) == kId3Magic) {
                // An ID3 version 2 tag at the start: after six more bytes the word holds its
                // four size bytes, seven bits each.
                for (int i = 0; i < 6; ++i) {
                    const int b = in.ReadByte();
                    if (b < 0) {
                        break;
                    }
                    word = (word << 8) | static_cast<std::uint32_t>(b);
                    ++st.bytesRead;
                }
                const std::int64_t size = ((word >> 24) & 0x7F) << 21 |
                                          ((word >> 16) & 0x7F) << 14 | ((word >> 8) & 0x7F) << 7 |
                                          (word & 0x7F);
                st.expectedPosition = size + 14;
                anchor = size + 10;
                if (anchor > fileSize) {
                    AddNote({FindingKind::kId3v2PastEnd, false, 0, 0, 0.0, anchor, fileSize, 0});
                }
                st.bytesRead += in.ReadSkip(size);
                resync = true;
            } else {
                resync = false;
            }

            reportProgress();
        }
    };
    in.Walk(walk);

    if (in.HasError()) {
        m_ReadFailed = true;
        m_FailureText = in.ErrorText();
    }
    in.Close();
    m_AudioEnd = anchor;
    m_InvalidSinceAnchor = invalidSinceAnchor;
    m_ErrorsAtAnchor = errorsAtAnchor;
    m_LastFrameStart = lastFrameStart;
    m_LastFrameMs = frameMs;
    m_FramesAtEnd = m_FramesFound;
    m_TimeAtEnd = timeMs;
    m_ErrorsAtEnd = st.errors;
    if (!m_ReadFailed) {
        Conclude(path, fileSize);
    }
    return st.errors == 0;
}

void CMP3Check::Conclude(const std::string& path, std::int64_t fileSize) {
    const unsigned char* body = m_FirstBody.data() + 2;
    std::size_t bodySize = m_FirstBodySize;
    if (m_FirstHeader.crcProtected) {
        body -= 2;
        bodySize += 2;
    }
    bool vbrFrame = false;
    if (m_FramesFound > 0 && m_FirstHeader.layer3 && m_FirstBodySize > 0) {
        XingHeader xing;
        if (ReadXingHeader(m_FirstHeader, body, bodySize, xing)) {
            vbrFrame = true;
            m_VbrFrames = xing.frames;
            m_VbrBytes = xing.bytes;
        } else if (ReadVbriHeader(body, bodySize, m_VbrFrames, m_VbrBytes)) {
            vbrFrame = true;
            m_Vbri = true;
        }
    }
    m_AudioFrames = m_FramesFound - (vbrFrame ? 1 : 0);
    m_LengthMs = static_cast<std::int64_t>(m_TimeAtEnd - (vbrFrame ? m_VbrFrameMs : 0.0) + 0.5);

    const std::int64_t audioEnd = std::min(m_AudioEnd, fileSize);
    if (m_FramesFound > 0) {
        if (m_AudioEnd > fileSize && m_LastFrameStart >= 0) {
            AddNote({FindingKind::kTruncatedFrame, false, m_LastFrameStart, m_FramesFound - 1,
                     m_TimeAtEnd - m_LastFrameMs, fileSize - m_LastFrameStart,
                     m_AudioEnd - m_LastFrameStart, 0});
        }
        // After the last frame: an ID3v1 tag, an APE tag before it, a Lyrics3 tag are known;
        // anything else is reported.
        std::int64_t end = fileSize;
        if (audioEnd < fileSize) {
            CBinaryFile tail;
            unsigned char b[160] = {};
            const std::int64_t from = std::max<std::int64_t>(audioEnd, fileSize - 160);
            const auto n = static_cast<std::int64_t>(sizeof b);
            if (tail.OpenRead(path) && tail.Seek(fileSize - std::min(n, fileSize)) &&
                tail.Read(b, static_cast<std::size_t>(std::min(n, fileSize))) ==
                    static_cast<std::size_t>(std::min(n, fileSize))) {
                const unsigned char* last = b + std::min(n, fileSize);  // one past the file's end
                const auto at = [&](std::int64_t back, const char* text, std::size_t size) {
                    return back <= std::min(n, fileSize) && end - back >= from &&
                           std::equal(text, text + size, last - back);
                };
                if (at(128, "TAG", 3)) {
                    end -= 128;
                    last -= 128;
                }
                if (at(32, "APETAGEX", 8)) {
                    const unsigned char* f = last - 32;
                    std::int64_t size =
                        f[12] | f[13] << 8 | f[14] << 16 | static_cast<std::int64_t>(f[15]) << 24;
                    if ((f[23] & 0x80) != 0) {
                        size += 32;  // a header too
                    }
                    if (end - size >= audioEnd) {
                        end -= size;
                    }
                } else if (at(9, "LYRICS200", 9) && end - 15 >= audioEnd) {
                    const unsigned char* f = last - 15;
                    std::int64_t size = 0;
                    for (int i = 0; i < 6; ++i) {
                        size = size * 10 + (f[i] - '0');
                    }
                    if (size > 0 && end - 15 - size >= audioEnd) {
                        end -= 15 + size;
                    }
                }
            }
        }
        if (end > audioEnd || m_InvalidSinceAnchor > 0) {
            AddNote({FindingKind::kTrailingData, m_ErrorsAtEnd != m_ErrorsAtAnchor, audioEnd,
                     m_FramesFound, m_TimeAtEnd, std::max<std::int64_t>(end - audioEnd, 0),
                     m_InvalidSinceAnchor, 0});
        }
        const std::int64_t streamBytes = end - m_VbrStart;
        if (vbrFrame && ((m_VbrFrames >= 0 && m_VbrFrames != m_AudioFrames) ||
                         (m_VbrBytes >= 0 && m_VbrBytes != streamBytes))) {
            AddNote({FindingKind::kVbrHeaderMismatch, false, m_VbrStart, 0, 0.0,
                     m_FirstHeader.frameLength, m_VbrFrames, m_VbrBytes});
        }
    }

    const auto notesEnd = m_Notes.begin() + static_cast<std::ptrdiff_t>(m_NoteCount);
    std::stable_sort(m_Notes.begin(), notesEnd,
                     [](const Note& x, const Note& y) { return x.offset < y.offset; });
    m_Findings.reserve(m_NoteCount);
    for (auto it = m_Notes.begin(); it != notesEnd; ++it) {
        const Note& n = *it;
        Finding f;
        f.kind = n.kind;
        f.severity = n.error ? FindingSeverity::kError : FindingSeverity::kWarning;
        f.offset = n.offset;
        f.frame = n.frame;
        f.timeMs = static_cast<std::int64_t>(n.timeMs + 0.5);
        f.bytes = n.bytes;
        const std::string invalid =
            n.a > 0 ? m_Strings->Text(n.a > 1 ? StringId::kFindingInvalidHeaders
                                              : StringId::kFindingInvalidHeader1,
                                      std::to_string(n.a))
                    : std::string();
        switch (n.kind) {
            case FindingKind::kJunkBeforeFirstFrame:
                f.text =
                    m_Strings->Text(StringId::kFindingJunkBefore, std::to_string(n.bytes), invalid);
                break;
            case FindingKind::kLostSync:
                f.text =
                    m_Strings->Text(StringId::kFindingLostSync, std::to_string(n.bytes), invalid);
                break;
            case FindingKind::kInvalidHeader:
                f.text = InvalidHeaderText(*m_Strings, static_cast<std::uint32_t>(n.b), n.bytes);
                break;
            case FindingKind::kTagInAudio:
                f.text =
                    m_Strings->Text(StringId::kFindingTagInAudio,
                                    m_Strings->Text((n.b >> 8) == kId3Magic  ? StringId::kTagId3v2
                                                    : (n.b >> 8) == 0x544147 ? StringId::kTagId3v1
                                                                             : StringId::kTagApe),
                                    std::to_string(n.bytes));
                break;
            case FindingKind::kTruncatedFrame:
                f.text = m_Strings->Text(StringId::kFindingTruncated, std::to_string(n.a),
                                         std::to_string(n.bytes));
                break;
            case FindingKind::kFormatChange:
                f.text = m_Strings->Text(StringId::kFindingFormatChange,
                                         FormatText(static_cast<std::uint32_t>(n.a)),
                                         FormatText(static_cast<std::uint32_t>(n.b)));
                break;
            case FindingKind::kVbrHeaderMismatch:
                f.text = m_Strings->TextWith(
                    StringId::kFindingVbrMismatch,
                    {m_Vbri ? "VBRI" : "Xing/Info", std::to_string(n.a), std::to_string(n.b),
                     std::to_string(m_AudioFrames), std::to_string(audioEnd - m_VbrStart)});
                break;
            case FindingKind::kCrcMismatch: {
                char stored[16];
                char computed[16];
                std::snprintf(stored, sizeof stored, "%04X", static_cast<unsigned>(n.a));
                std::snprintf(computed, sizeof computed, "%04X", static_cast<unsigned>(n.b));
                f.text = m_Strings->Text(StringId::kFindingCrc, stored, computed);
                break;
            }
            case FindingKind::kId3v2PastEnd:
                f.text = m_Strings->Text(StringId::kFindingTagPastEnd, std::to_string(n.bytes),
                                         std::to_string(n.a));
                break;
            case FindingKind::kTrailingData:
                f.text =
                    m_Strings->Text(StringId::kFindingTrailing, std::to_string(n.bytes), invalid);
                break;
            case FindingKind::kDecodeError: break;
        }
        m_Findings.push_back(std::move(f));
    }
    m_NoteCount = 0;
}

}  // namespace sonvara
