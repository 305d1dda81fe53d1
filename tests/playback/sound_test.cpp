// Playback through a real sound server: a private PulseAudio with a pipe sink, whose output is
// compared sample for sample with what the audio file model decodes.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "audio/audiotrack.h"
#include "pcmmatch.h"
#include "playback/qtwaveoutdevice.h"
#include "playback/waveplayer.h"
#include "pulseserver.h"
#include "support/encoders.h"
#include "support/runevents.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

CPulseServer* g_server = nullptr;
bool g_serverUp = false;
std::string g_serverWhy;

class SoundServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_server = new CPulseServer;
        g_serverUp = g_server->Start(&g_serverWhy);
    }
    void TearDown() override {
        delete g_server;
        g_server = nullptr;
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new SoundServerEnvironment);

void RunEventsFor(int ms) {
    RunEventsUntil([] { return false; }, ms);
}

class RealSound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(g_serverUp) << "the private PulseAudio server could not be started: "
                                << g_serverWhy;
    }

    std::string Wav(const std::string& name, const std::string& seconds) {
        // Two tones of different pitch per channel, 44100 Hz stereo as the sink plays.
        return SynthWav(m_dir.File(name), "-r 44100 -c 2 -b 16 -e signed-integer",
                        seconds + " sine 440 sine 660 vol 0.5");
    }
    std::string Mp3(const std::string& name, const std::string& seconds) {
        return LameEncode(Wav(name + ".wav", seconds), m_dir.File(name), "-b 192");
    }

    // The capture from now on, frame-aligned.
    std::size_t Mark() { return g_server->CaptureSize() / 4 * 4; }

    CTempDir m_dir;
};

// A player on the real device whose client handling also notes the end of the track.
struct Playing {
    explicit Playing(const std::string& path) : track(path) {
        player.Open(track.GetFile(), [this] {
            ++done;
            player.OnBufferDone(false);
            if (!player.IsActive()) {
                ++ends;
                player.SeekPercent(0);
            }
        });
    }
    bool WaitForEnd(int count = 1) {
        return RunEventsUntil([&] { return ends >= count; }, 60000);
    }

    CAudioTrack track;
    CWavePlayer player;
    int done = 0;
    int ends = 0;
};

TEST_F(RealSound, Mp3AndWavPlayBitExact) {
    for (const std::string& path : {Mp3("three.mp3", "3"), Wav("three.wav", "3")}) {
        SCOPED_TRACE(path);
        Playing p(path);
        ASSERT_GT(p.player.BufferCount(), 0) << "the device did not open";
        const std::size_t mark = Mark();
        p.player.Play();
        ASSERT_TRUE(p.WaitForEnd()) << "the track did not end";
        RunEventsFor(300);
        const Samples expected = DecodeTrack(path);
        ASSERT_GT(expected.size(), 44100u * 2 * 2);
        const CaptureMatch m = MatchCapture(g_server->CaptureFrom(mark), {expected});
        EXPECT_TRUE(m.ok) << m.message;
        EXPECT_EQ(m.gapFrames, 0u) << m.gapRuns << " interruptions";
        // Rewound and stopped, the device still open for the next Play.
        EXPECT_FALSE(p.player.IsPlaying());
        EXPECT_EQ(p.player.GetPosition(), 0);
        EXPECT_EQ(p.track.GetFile()->GetPosition(), 0);
        EXPECT_TRUE(p.player.IsOpen());
    }
}

TEST_F(RealSound, ClipShorterThanThePrebufferPlaysAndPlaysAgain) {
    const std::string path = Wav("clip.wav", "0.2");
    Playing p(path);
    ASSERT_GT(p.player.BufferCount(), 0);
    const std::size_t mark = Mark();
    p.player.Play();
    ASSERT_TRUE(p.WaitForEnd(1));
    // After the end the track starts again from its beginning.
    p.player.Play();
    ASSERT_TRUE(p.WaitForEnd(2));
    RunEventsFor(300);
    const Samples expected = DecodeTrack(path);
    const CaptureMatch m = MatchCapture(g_server->CaptureFrom(mark), {expected, expected});
    ASSERT_TRUE(m.ok) << m.message;
    ASSERT_EQ(m.played.size(), 2u);
    EXPECT_EQ(m.played[0], expected.size() / 2) << "the first playing was cut";
    EXPECT_EQ(m.played[1], expected.size() / 2);
}

TEST_F(RealSound, PauseAndResumeKeepEverySample) {
    const std::string path = Mp3("pause.mp3", "3");
    Playing p(path);
    ASSERT_GT(p.player.BufferCount(), 0);
    const std::size_t mark = Mark();
    p.player.Play();
    RunEventsFor(1000);
    p.player.Pause();
    RunEventsFor(1000);
    EXPECT_EQ(p.ends, 0);
    p.player.Play();
    ASSERT_TRUE(p.WaitForEnd());
    RunEventsFor(300);
    const CaptureMatch m = MatchCapture(g_server->CaptureFrom(mark), {DecodeTrack(path)});
    EXPECT_TRUE(m.ok) << m.message;
    // The pause is silence inside the track; nothing of the track is lost or repeated.
    EXPECT_GE(m.gapRuns, 1);
    EXPECT_GT(m.gapFrames, 0u);
}

TEST_F(RealSound, SeekToHalfWhilePlayingContinuesFromThere) {
    for (const std::string& path : {Mp3("seek.mp3", "3"), Wav("seek.wav", "3")}) {
        SCOPED_TRACE(path);
        Playing p(path);
        ASSERT_GT(p.player.BufferCount(), 0);
        const std::size_t mark = Mark();
        p.player.Play();
        RunEventsFor(500);
        ASSERT_TRUE(p.player.SeekPercent(50));
        EXPECT_TRUE(p.player.IsPlaying());
        EXPECT_EQ(p.player.GetPosition(), p.track.GetFile()->GetLength() / 2);
        ASSERT_TRUE(p.WaitForEnd());
        RunEventsFor(300);
        const Samples whole = DecodeTrack(path);
        const Samples half = DecodeTrack(path, p.track.GetFile()->GetLength() * 50 / 100);
        ASSERT_LT(half.size(), whole.size());
        const CaptureMatch m = MatchCapture(g_server->CaptureFrom(mark), {whole, half});
        ASSERT_TRUE(m.ok) << m.message;
        ASSERT_EQ(m.played.size(), 2u);
        EXPECT_LT(m.played[0], whole.size() / 2) << "the jump did not happen";
        EXPECT_GT(m.played[0], 0u);
    }
}

// How long after the sink rendered a buffer's last sample its "done" reaches the event loop,
// and that notifications come back in write order. Printed, not asserted.
TEST_F(RealSound, BufferDoneComesInWriteOrderAfterTheBufferPlayed) {
    const std::string path = Wav("latency.wav", "3");
    const Samples pcm = DecodeTrack(path);
    CQtWaveOutDevice device;
    std::vector<WaveHeader> headers(15);
    std::vector<std::vector<std::uint8_t>> blocks(15, std::vector<std::uint8_t>(8192));
    std::vector<int> order;
    std::vector<CPulseServer::Clock::time_point> doneAt;
    std::size_t offset = 0;  // bytes of pcm handed over
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(pcm.data());
    const std::size_t total = pcm.size() * 2;
    std::vector<std::size_t> endOf(15);  // byte offset of each buffer's end in the track
    std::vector<std::size_t> ends;
    bool finished = false;
    std::function<void(int)> refill = [&](int k) {
        WaveHeader& h = headers[k];
        const std::size_t n = std::min<std::size_t>(8192, total - offset);
        std::copy(bytes + offset, bytes + offset + n, h.data);
        h.length = static_cast<std::uint32_t>(n);
        offset += n;
        endOf[k] = offset;
        ASSERT_TRUE(device.Write(h));
    };
    std::vector<int> written;
    ASSERT_TRUE(device.Open({44100, 2, 16}, [&](WaveHeader* h) {
        const int k = static_cast<int>(h - headers.data());
        order.push_back(k);
        doneAt.push_back(CPulseServer::Clock::now());
        ends.push_back(h->length == 0 ? offset : endOf[k]);
        if (h->length == 0) {
            finished = true;
            return;
        }
        if (offset < total) {
            refill(k);
            written.push_back(k);
        }
    }));
    for (int k = 0; k < 15; ++k) {
        headers[k].data = blocks[k].data();
        headers[k].capacity = 8192;
        ASSERT_TRUE(device.Prepare(headers[k]));
    }
    const std::size_t mark = Mark();
    for (int k = 0; k < 14; ++k) {
        refill(k);
        written.push_back(k);
    }
    // The last header is kept for the end marker.
    ASSERT_TRUE(RunEventsUntil([&] { return offset >= total; }, 30000));
    headers[14].length = 0;
    ASSERT_TRUE(device.Write(headers[14]));
    written.push_back(14);
    ASSERT_TRUE(RunEventsUntil([&] { return finished; }, 30000));
    RunEventsFor(300);
    EXPECT_EQ(order, written) << "notifications out of write order";

    const CaptureMatch m = MatchCapture(g_server->CaptureFrom(mark), {pcm});
    ASSERT_TRUE(m.ok) << m.message;
    // When did the reader of the sink's FIFO get each buffer's last byte?
    const auto marks = g_server->Marks();
    std::vector<double> latencies;
    for (std::size_t d = 0; d < ends.size(); ++d) {
        const std::size_t at = mark + (m.leadFrames * 4) + ends[d];
        const auto it =
            std::find_if(marks.begin(), marks.end(),
                         [&](const CPulseServer::ReadMark& r) { return r.bytes >= at; });
        if (it == marks.end()) {
            continue;
        }
        latencies.push_back(std::chrono::duration<double, std::milli>(doneAt[d] - it->at).count());
    }
    ASSERT_FALSE(latencies.empty());
    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    std::printf(
        "buffer done after the sink rendered its last sample: min %.1f ms, median %.1f ms, "
        "max %.1f ms over %zu buffers (sink buffer %lld bytes)\n",
        sorted.front(), median, sorted.back(), sorted.size(),
        static_cast<long long>(device.SinkBufferSize()));
    RecordProperty("done_latency_median_ms", std::to_string(median));
    device.Close();
}

}  // namespace
}  // namespace sonvara::test
