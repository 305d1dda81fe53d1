#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/testfiles.h"

namespace sonvara::test {

// One chunk of a hand-built RIFF file.
struct Chunk {
    std::string id;  // four characters
    Bytes data;
    std::int64_t claimedSize = -1;  // -1: the real size
};

Bytes LE16(std::uint16_t v);
Bytes LE32(std::uint32_t v);

// "fmt " data of the 16-byte PCM kind, or 18 + extra bytes for the others.
Bytes FmtData(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits,
              const Bytes& extra = {}, bool withExtraSize = true);

// RIFF "WAVE" around the chunks (pad bytes added after odd ones).
Bytes MakeRiff(const std::vector<Chunk>& chunks, std::int64_t claimedRiffSize = -1);

// A 44100 Hz 16-bit stereo PCM file of the given sample frames.
Bytes MakePcmWav(const std::vector<std::int16_t>& interleaved, std::uint16_t channels = 2,
                 std::uint32_t rate = 44100);

// A text chunk of exactly 64 bytes.
Chunk TextChunk(const std::string& id, const std::string& text);

// Every 16-bit sample that the WAVE reader delivers for the file.
std::vector<std::int16_t> DecodeWavSamples(const std::string& path);

std::vector<std::int16_t> Sine(std::size_t frames, int channels, double hz, double rate,
                               double amplitude = 12000.0);

}  // namespace sonvara::test
