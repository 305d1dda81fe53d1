#pragma once

#include <cstddef>
#include <cstdint>

namespace sonvara {

// IMA ADPCM as WAV files hold it: per channel a 4-byte header (first sample, step index,
// reserved), then groups of 4 bytes per channel, 8 samples each, low nibble first.
// Decodes one block (or the part of one that is there) into interleaved 16-bit samples;
// returns the samples per channel written (at most maxSamples).
std::size_t DecodeImaBlock(const std::uint8_t* block, std::size_t size, int channels,
                           std::size_t maxSamples, std::int16_t* out);

// Encodes samplesPerBlock interleaved frames into one block of
// 4 * channels + (samplesPerBlock - 1) / 2 * channels bytes. The step index per channel is
// carried from block to block in stepIndex.
void EncodeImaBlock(const std::int16_t* in, int channels, std::size_t samplesPerBlock,
                    int* stepIndex, std::uint8_t* block);

// Microsoft ADPCM: per channel a predictor index, a delta, two history samples, then nibbles
// (high first, channels alternating). coefficients holds numCoef pairs.
std::size_t DecodeMsAdpcmBlock(const std::uint8_t* block, std::size_t size, int channels,
                               const std::int16_t* coefficients, int numCoef,
                               std::size_t maxSamples, std::int16_t* out);

}  // namespace sonvara
