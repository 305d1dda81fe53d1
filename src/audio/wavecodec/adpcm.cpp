#include "audio/wavecodec/adpcm.h"

#include <algorithm>

#include "audio/riff/littleendian.h"

namespace sonvara {

namespace {

constexpr int kImaSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr int kImaIndexShift[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

constexpr int kMsAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                   768, 614, 512, 409, 307, 230, 230, 230};

int ClampIndex(int index) {
    return std::clamp(index, 0, 88);
}
int Clamp16(int v) {
    return std::clamp(v, -32768, 32767);
}

// One IMA step: the new predictor from the nibble; the index moves on.
int ImaExpand(int nibble, int& predictor, int& index) {
    const int step = kImaSteps[index];
    int diff = step >> 3;
    if ((nibble & 4) != 0) {
        diff += step;
    }
    if ((nibble & 2) != 0) {
        diff += step >> 1;
    }
    if ((nibble & 1) != 0) {
        diff += step >> 2;
    }
    predictor = Clamp16((nibble & 8) != 0 ? predictor - diff : predictor + diff);
    index = ClampIndex(index + kImaIndexShift[nibble]);
    return predictor;
}

int ImaQuantise(int sample, int predictor, int index) {
    int diff = sample - predictor;
    int nibble = 0;
    if (diff < 0) {
        nibble = 8;
        diff = -diff;
    }
    int step = kImaSteps[index];
    if (diff >= step) {
        nibble |= 4;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) {
        nibble |= 2;
        diff -= step;
    }
    step >>= 1;
    if (diff >= step) {
        nibble |= 1;
    }
    return nibble;
}

}  // namespace

std::size_t DecodeImaBlock(const std::uint8_t* block, std::size_t size, int channels,
                           std::size_t maxSamples, std::int16_t* out) {
    const auto ch = static_cast<std::size_t>(channels);
    if (channels < 1 || size < 4 * ch || maxSamples == 0) {
        return 0;
    }
    int predictor[2] = {0, 0};
    int index[2] = {0, 0};
    for (std::size_t c = 0; c < ch; ++c) {
        predictor[c] = static_cast<std::int16_t>(GetLE16(block + 4 * c));
        index[c] = ClampIndex(block[4 * c + 2]);
        out[c] = static_cast<std::int16_t>(predictor[c]);
    }
    const std::size_t groups = (size - 4 * ch) / (4 * ch);
    const std::size_t samples = std::min(maxSamples, 1 + groups * 8);
    const std::uint8_t* data = block + 4 * ch;
    for (std::size_t g = 0; g < groups; ++g) {
        for (std::size_t c = 0; c < ch; ++c) {
            const std::uint8_t* bytes = data + (g * ch + c) * 4;
            for (std::size_t k = 0; k < 8; ++k) {
                const std::size_t s = 1 + g * 8 + k;
                const int nibble = (k & 1) == 0 ? bytes[k / 2] & 0x0F : bytes[k / 2] >> 4;
                const int value = ImaExpand(nibble, predictor[c], index[c]);
                if (s < samples) {
                    out[s * ch + c] = static_cast<std::int16_t>(value);
                }
            }
        }
    }
    return samples;
}

void EncodeImaBlock(const std::int16_t* in, int channels, std::size_t samplesPerBlock,
                    int* stepIndex, std::uint8_t* block) {
    const auto ch = static_cast<std::size_t>(channels);
    int predictor[2] = {0, 0};
    for (std::size_t c = 0; c < ch; ++c) {
        predictor[c] = in[c];
        stepIndex[c] = ClampIndex(stepIndex[c]);
        PutLE16(block + 4 * c, static_cast<std::uint16_t>(in[c]));
        block[4 * c + 2] = static_cast<std::uint8_t>(stepIndex[c]);
        block[4 * c + 3] = 0;
    }
    const std::size_t groups = (samplesPerBlock - 1) / 8;
    std::uint8_t* data = block + 4 * ch;
    for (std::size_t g = 0; g < groups; ++g) {
        for (std::size_t c = 0; c < ch; ++c) {
            std::uint8_t* bytes = data + (g * ch + c) * 4;
            for (std::size_t k = 0; k < 8; ++k) {
                const std::size_t s = 1 + g * 8 + k;
                const int nibble = ImaQuantise(in[s * ch + c], predictor[c], stepIndex[c]);
                ImaExpand(nibble, predictor[c], stepIndex[c]);
                if ((k & 1) == 0) {
                    bytes[k / 2] = static_cast<std::uint8_t>(nibble);
                } else {
                    bytes[k / 2] = static_cast<std::uint8_t>(bytes[k / 2] | (nibble << 4));
                }
            }
        }
    }
}

std::size_t DecodeMsAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels,
                               const std::int16_t* coefficients, int numCoef,
                               std::size_t maxSamples, std::int16_t* out) {
    const auto ch = static_cast<std::size_t>(channels);
    if (channels < 1 || size < 7 * ch || maxSamples < 2) {
        return 0;
    }
    int coef1[2] = {0, 0};
    int coef2[2] = {0, 0};
    int delta[2] = {0, 0};
    int sample1[2] = {0, 0};
    int sample2[2] = {0, 0};
    for (std::size_t c = 0; c < ch; ++c) {
        const int predictor = block[c];
        if (predictor >= numCoef) {
            return 0;  // a predictor the format block does not define
        }
        coef1[c] = coefficients[2 * predictor];
        coef2[c] = coefficients[2 * predictor + 1];
        delta[c] = static_cast<std::int16_t>(GetLE16(block + ch + 2 * c));
        sample1[c] = static_cast<std::int16_t>(GetLE16(block + 3 * ch + 2 * c));
        sample2[c] = static_cast<std::int16_t>(GetLE16(block + 5 * ch + 2 * c));
        out[c] = static_cast<std::int16_t>(sample2[c]);
        out[ch + c] = static_cast<std::int16_t>(sample1[c]);
    }
    const std::size_t nibbles = (size - 7 * ch) * 2;
    const std::size_t samples = std::min(maxSamples, 2 + nibbles / ch);
    const std::uint8_t* data = block + 7 * ch;
    for (std::size_t n = 0; n < (samples - 2) * ch; ++n) {
        const std::size_t c = n % ch;
        const int raw = (n & 1) == 0 ? data[n / 2] >> 4 : data[n / 2] & 0x0F;
        const int signedNibble = raw >= 8 ? raw - 16 : raw;
        const int predicted = (sample1[c] * coef1[c] + sample2[c] * coef2[c]) >> 8;
        const int value = Clamp16(predicted + signedNibble * delta[c]);
        // A damaged block can make the step grow without end; it is held where the
        // arithmetic stays exact (far beyond what any real stream reaches).
        delta[c] = static_cast<int>(std::clamp<std::int64_t>(
            (static_cast<std::int64_t>(kMsAdaptation[raw]) * delta[c]) >> 8, 16, 1 << 24));
        sample2[c] = sample1[c];
        sample1[c] = value;
        out[(2 + n / ch) * ch + c] = static_cast<std::int16_t>(value);
    }
    return samples;
}

}  // namespace sonvara
