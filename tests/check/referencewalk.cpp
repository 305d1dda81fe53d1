#include "check/referencewalk.h"

#include <cstdio>

#include "check/mp3check.h"

namespace sonvara::test {

ReferenceResult ReferenceWalk(const std::string& path) {
    ReferenceResult r;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return r;
    }
    std::fseek(f, 0, SEEK_END);
    const double fileSize = static_cast<double>(ftello(f));
    std::fseek(f, 0, SEEK_SET);

    std::uint32_t word = 0;
    bool resync = true;
    double estimate = 0;
    MP3FrameHeader h;
    for (;;) {
        if (resync) {
            word = 0;
            for (int i = 0; i < 4; ++i) {
                const int c = std::fgetc(f);
                if (c == EOF) {
                    break;
                }
                word = (word << 8) | static_cast<std::uint32_t>(c);
                ++r.bytesRead;
            }
        } else {
            const int c = std::fgetc(f);
            if (c == EOF) {
                break;
            }
            word = (word << 8) | static_cast<std::uint32_t>(c);
            ++r.bytesRead;
        }
        if ((word >> 21) == 0x7FF) {
            h = MP3FrameHeader{};
            if (!CMP3Check::DecodeHeader(word, h)) {
                ++r.errors;
            } else {
                resync = true;
                if (r.goodFrames > 0 && r.bytesRead != r.expectedPosition) {
                    ++r.errors;
                } else if (r.bytesRead == r.expectedPosition) {
                    ++r.goodFrames;
                }
                if (h.crcProtected) {
                    for (int i = 0; i < 2; ++i) {
                        if (std::fgetc(f) != EOF) {
                            ++r.bytesRead;
                        }
                    }
                }
                r.expectedPosition = r.bytesRead + h.frameLength - (h.crcProtected ? 2 : 0);
                const long body = h.frameLength - 4 - (h.crcProtected ? 2 : 0);
                if (h.crcProtected) {
                    std::vector<unsigned char> block(static_cast<std::size_t>(body));
                    const std::size_t got = std::fread(block.data(), 1, block.size(), f);
                    r.bytesRead += static_cast<std::int64_t>(got);
                    if (got < block.size()) {
                        break;
                    }
                } else if (std::fseek(f, body, SEEK_CUR) == 0) {
                    r.bytesRead += body;
                }
            }
        } else if (r.bytesRead == 4 && (word >> 8) == 0x494433) {
            for (int i = 0; i < 6; ++i) {
                const int c = std::fgetc(f);
                if (c == EOF) {
                    break;
                }
                word = (word << 8) | static_cast<std::uint32_t>(c);
                ++r.bytesRead;
            }
            const std::int64_t size = ((word >> 24) & 0x7F) << 21 | ((word >> 16) & 0x7F) << 14 |
                                      ((word >> 8) & 0x7F) << 7 | (word & 0x7F);
            r.expectedPosition = size + 14;
            for (std::int64_t i = 0; i < size; ++i) {
                if (std::fgetc(f) == EOF) {
                    break;
                }
                ++r.bytesRead;
            }
            resync = true;
        } else {
            resync = false;
        }
        if (r.goodFrames == 1) {
            estimate = fileSize / h.frameLength;
        } else if (r.goodFrames >= 2 && r.goodFrames % 200 != 0) {
            r.progress.push_back(static_cast<int>(r.goodFrames * 100 / estimate));
        }
    }
    std::fclose(f);
    return r;
}

}  // namespace sonvara::test
