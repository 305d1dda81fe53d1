#pragma once

#include <cstdint>

namespace sonvara {

// ITU-T G.711 expansion to 16-bit linear samples.
std::int16_t ALawToLinear(std::uint8_t value);
std::int16_t MuLawToLinear(std::uint8_t value);

}  // namespace sonvara
