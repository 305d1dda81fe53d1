#include "convert/jobtables.h"

namespace sonvara {

std::int32_t BitRateForIndex(int index) {
    static constexpr std::int32_t kRates[9] = {64, 96, 128, 160, 192, 256, 320, 384, 448};
    return index >= 0 && index < 9 ? kRates[index] : -1;
}

std::int32_t QualityForIndex(int index) {
    static constexpr std::int32_t kQuality[3] = {5, 9, 2};
    return index >= 0 && index < 3 ? kQuality[index] : -1;
}

WaveFormat OutputFormatForType(int formatType) {
    if (formatType == 0 || formatType == 2) {
        WaveFormat f = MakeCdFormat();
        f.extraSize = 2;
        f.extra = {0, 0};  // the 20-byte block: extra size 2, samples per block 0
        return f;
    }
    if (formatType == 1) {
        return MakeImaAdpcmCdFormat();
    }
    return WaveFormat{};
}

}  // namespace sonvara
