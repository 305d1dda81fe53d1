#pragma once

#include <cstdint>

namespace sonvara {

inline std::uint16_t GetLE16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLE32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void PutLE16(unsigned char* p, std::uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutLE32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24);
}

inline constexpr std::uint32_t kFourccRiff = MakeFourCC('R', 'I', 'F', 'F');
inline constexpr std::uint32_t kFourccList = MakeFourCC('L', 'I', 'S', 'T');
inline constexpr std::uint32_t kFourccWave = MakeFourCC('W', 'A', 'V', 'E');
inline constexpr std::uint32_t kFourccFmt = MakeFourCC('f', 'm', 't', ' ');
inline constexpr std::uint32_t kFourccData = MakeFourCC('d', 'a', 't', 'a');
inline constexpr std::uint32_t kFourccFact = MakeFourCC('f', 'a', 'c', 't');
inline constexpr std::uint32_t kFourccTitl = MakeFourCC('T', 'I', 'T', 'L');
inline constexpr std::uint32_t kFourccIntr = MakeFourCC('I', 'N', 'T', 'R');
inline constexpr std::uint32_t kFourccAlbu = MakeFourCC('A', 'L', 'B', 'U');

}  // namespace sonvara
