#include "audio/wavecodec/g711.h"

namespace sonvara {

std::int16_t ALawToLinear(std::uint8_t value) {
    const int a = value ^ 0x55;
    int t = (a & 0x0F) << 4;
    const int segment = (a & 0x70) >> 4;
    switch (segment) {
        case 0: t += 8; break;
        case 1: t += 0x108; break;
        default: t = (t + 0x108) << (segment - 1); break;
    }
    return static_cast<std::int16_t>((a & 0x80) != 0 ? t : -t);
}

std::int16_t MuLawToLinear(std::uint8_t value) {
    const int u = ~value & 0xFF;
    int t = ((u & 0x0F) << 3) + 0x84;
    t <<= (u & 0x70) >> 4;
    return static_cast<std::int16_t>((u & 0x80) != 0 ? 0x84 - t : t - 0x84);
}

}  // namespace sonvara
