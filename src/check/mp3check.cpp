#include "check/mp3check.h"

#include <limits>

#include "jobs/progresssink.h"
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

}  // namespace

bool CMP3Check::CheckFile(const std::string& path, IProgressSink* sink) {
    m_State = MP3StreamState{};
    m_FramesFound = 0;
    m_OpenFailed = false;
    m_ReadFailed = false;
    m_FailureText.clear();

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
                } else {
                    ++m_FramesFound;
                    resync = true;
                    if (st.goodFrames > 0 && st.bytesRead != st.expectedPosition) {
                        ++st.errors;
                    } else if (st.bytesRead == st.expectedPosition) {
                        ++st.goodFrames;
                    }
                    std::int64_t body = header.frameLength - 4;
                    if (header.crcProtected) {
                        unsigned char crc[2] = {0, 0};
                        st.bytesRead += static_cast<std::int64_t>(in.ReadBlock(crc, 2));
                        header.storedCrc = static_cast<std::uint16_t>((crc[0] << 8) | crc[1]);
                        body -= 2;
                    }
                    st.expectedPosition =
                        st.bytesRead + header.frameLength - (header.crcProtected ? 2 : 0);
                    if (header.crcProtected) {
                        const std::int64_t got = body > 0 ? in.ReadSkip(body) : 0;
                        st.bytesRead += got;
                        if (got < body) {
                            break;
                        }
                    } else if (in.SeekForward(body)) {
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
    return st.errors == 0;
}

}  // namespace sonvara
