#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/testfiles.h"

namespace sonvara::test {

using Samples = std::vector<std::int16_t>;

// 16-bit samples from raw little-endian bytes.
Samples ToSamples(const std::string& bytes);

// Tests on MPEG streams joined from several lame encodings (the channel mode or the rate
// changes part-way), with Debian's mpg123 as the reference decoder.
class CJoinedStreamTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    // One encoding: a signal of its own per part, so that a part out of place shows.
    Bytes Part(const std::string& name, int rate, int channels, const std::string& synth,
               const std::string& lame);
    // The parts one after the other in a file of the test's folder; returns its path.
    std::string Join(const std::string& name, const std::vector<Bytes>& parts);
    // What mpg123 decodes from the file with the given options.
    static Samples Mpg123(const std::string& path, const std::string& options);

    CTempDir m_Dir;
};

}  // namespace sonvara::test
