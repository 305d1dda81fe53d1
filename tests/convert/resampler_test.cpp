#include "convert/resampler.h"

#include <gtest/gtest.h>

#include <vector>

namespace sonvara::test {
namespace {

std::vector<std::int16_t> Ramp(std::size_t samples) {
    std::vector<std::int16_t> v(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        v[i] = static_cast<std::int16_t>((i * 977) % 60000 - 30000);
    }
    return v;
}

TEST(Resampler, HalfRateStereoDoublesTheFrames) {
    CResampler r;
    ASSERT_TRUE(r.SetInputRate(22050));
    const std::vector<std::int16_t> in = Ramp(8192 * 2);
    std::vector<std::int16_t> out(163840 * 2);
    r.SetInput(in.data(), 8192);
    r.SetOutput(out.data(), 163840);
    std::uint32_t consumed = 0;
    std::uint32_t produced = 0;
    r.Process(consumed, produced);
    EXPECT_EQ(consumed, 8192u);
    EXPECT_EQ(produced, 16384u);
    // Every other output frame is an input frame, the ones between are midpoints.
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[4], in[2]);
    EXPECT_EQ(out[2], (32768 * in[2] + 32768 * in[0]) >> 16);
    EXPECT_EQ(out[3], (32768 * in[3] + 32768 * in[1]) >> 16);
    // The last input frame has no successor: it is repeated, not interpolated.
    EXPECT_EQ(out[16383 * 2], in[8191 * 2]);
    EXPECT_EQ(r.GetPhase(), 0u);
}

TEST(Resampler, MonoAt44100IsDuplicatedAndEqualRatesCopy) {
    CResampler r;
    ASSERT_TRUE(r.SetInputChannels(1));
    const std::vector<std::int16_t> in = Ramp(16384);
    std::vector<std::int16_t> out(163840 * 2);
    r.SetInput(in.data(), 16384);
    r.SetOutput(out.data(), 163840);
    std::uint32_t consumed = 0;
    std::uint32_t produced = 0;
    r.Process(consumed, produced);
    EXPECT_EQ(produced, 16384u);
    for (std::size_t i = 0; i < 16384; ++i) {
        ASSERT_EQ(out[2 * i], in[i]);
        ASSERT_EQ(out[2 * i + 1], in[i]);
    }
    // Equal rates and channels: a copy, limited by the output room.
    CResampler copy;
    std::vector<std::int16_t> small(10 * 2);
    copy.SetInput(in.data(), 100);
    copy.SetOutput(small.data(), 10);
    copy.Process(consumed, produced);
    EXPECT_EQ(consumed, 10u);
    EXPECT_EQ(produced, 10u);
    EXPECT_TRUE(std::equal(small.begin(), small.end(), in.begin()));
}

TEST(Resampler, StepPhaseCarryAndRangeChecks) {
    CResampler r;
    EXPECT_FALSE(r.SetInputRate(99));
    EXPECT_FALSE(r.SetInputRate(65536));
    EXPECT_FALSE(r.SetInputChannels(3));
    EXPECT_TRUE(r.SetInputRate(48000));
    const std::vector<std::int16_t> in = Ramp(48000 * 2);
    std::vector<std::int16_t> out(163840 * 2);
    // 48000 -> 44100: step 71331. In pieces, the phase carries over, so the frame count is
    // the same as in one go (only the last frame of a piece is not interpolated).
    r.SetInput(in.data(), 48000);
    r.SetOutput(out.data(), 163840);
    std::uint32_t consumed = 0;
    std::uint32_t whole = 0;
    r.Process(consumed, whole);
    EXPECT_EQ(consumed, 48000u);
    EXPECT_EQ(whole, static_cast<std::uint32_t>((48000ull * 65536 + 71330) / 71331));

    CResampler pieces;
    pieces.SetInputRate(48000);
    std::vector<std::int16_t> out2;
    std::vector<std::int16_t> block(163840 * 2);
    for (std::uint32_t at = 0; at < 48000; at += 1000) {
        pieces.SetInput(in.data() + at * 2, 1000);
        pieces.SetOutput(block.data(), 163840);
        std::uint32_t c = 0;
        std::uint32_t p = 0;
        pieces.Process(c, p);
        EXPECT_EQ(c, 1000u);
        out2.insert(out2.end(), block.begin(), block.begin() + p * 2);
    }
    ASSERT_EQ(out2.size(), static_cast<std::size_t>(whole) * 2);
    EXPECT_TRUE(std::equal(out2.begin(), out2.begin() + 1800, out.begin()));

    // The first frames by hand: phase 0, then 71331 -> one frame on, phase 5795.
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[2], (5795 * in[4] + (65536 - 5795) * in[2]) >> 16);
}

TEST(Resampler, NothingHappensWithoutInputOrRoom) {
    CResampler r;
    r.SetInputRate(8000);
    const std::vector<std::int16_t> in = Ramp(100);
    std::vector<std::int16_t> out(100);
    std::uint32_t c = 9;
    std::uint32_t p = 9;
    r.SetInput(in.data(), 0);
    r.SetOutput(out.data(), 50);
    r.Process(c, p);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(p, 0u);
    r.SetInput(in.data(), 50);
    r.SetOutput(out.data(), 0);
    r.Process(c, p);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(p, 0u);
}

}  // namespace
}  // namespace sonvara::test
