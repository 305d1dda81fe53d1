// The wave player on the deterministic test device.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>

#include "audio/audiotrack.h"
#include "pcmmatch.h"
#include "playback/testwaveoutdevice.h"
#include "playback/waveplayer.h"
#include "support/encoders.h"
#include "support/runevents.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

std::vector<std::uint8_t> AsBytes(const Samples& s) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(s.data());
    return std::vector<std::uint8_t>(b, b + s.size() * 2);
}

int Count(const std::vector<std::string>& log, const std::string& word) {
    return static_cast<int>(std::count(log.begin(), log.end(), word));
}

int CountPrefix(const std::vector<std::string>& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
}

// A track on a player over a test device, with the client handling of both windows, which also
// counts the ends of the track.
class PlayerTest : public ::testing::Test {
protected:
    std::string MakeWav(const std::string& name, std::size_t frames) {
        const std::string path = m_dir.File(name);
        WriteFile(path, MakePcmWav(Sine(frames, 2, 440, 44100)));
        return path;
    }

    void Start(const std::string& path, CTestWaveOutDevice::Options options = {}) {
        m_player.reset();
        m_track = std::make_unique<CAudioTrack>(path);
        auto device = std::make_unique<CTestWaveOutDevice>(options);
        m_device = device.get();
        m_player = std::make_unique<CWavePlayer>(std::move(device));
        m_player->Open(m_track->GetFile(), [this] {
            m_player->OnBufferDone(false);
            if (!m_player->IsActive()) {
                ++m_ends;
                if (m_atEnd) {
                    m_atEnd();
                }
                m_player->SeekPercent(0);
            }
        });
    }

    bool PlayToEnd(int ends = 1) {
        return RunEventsUntil([&] { return m_ends >= ends; });
    }

    CTempDir m_dir;
    std::unique_ptr<CAudioTrack> m_track;
    CTestWaveOutDevice* m_device = nullptr;
    std::unique_ptr<CWavePlayer> m_player;
    int m_ends = 0;
    std::function<void()> m_atEnd;  // in the handler, just before the rewind
};

TEST_F(PlayerTest, OpenDescribesTheFileAndPreparesFifteenBuffers) {
    Start(MakeWav("a.wav", 44100));
    EXPECT_EQ(m_player->BufferCount(), 15);
    EXPECT_EQ(m_device->Format().sampleRate, 44100u);
    EXPECT_EQ(m_device->Format().channels, 2);
    EXPECT_EQ(m_device->Format().BlockAlign(), 4u);
    EXPECT_EQ(m_player->GetPosition(), 0);
    EXPECT_FALSE(m_player->IsPlaying());
    EXPECT_TRUE(m_player->IsActive());
}

TEST_F(PlayerTest, PlayTwiceQueuesTheBuffersOnce) {
    Start(MakeWav("a.wav", 44100 * 2));
    m_device->Hold(true);
    m_player->Play();
    m_player->Play();
    EXPECT_EQ(CountPrefix(m_device->Log(), "write 8192"), 15);
    EXPECT_EQ(m_player->QueuedCount(), 15);
    EXPECT_EQ(m_device->QueuedCount(), 15u);
    // Pause, restart bracket the priming.
    const auto& log = m_device->Log();
    const auto firstWrite = std::find(log.begin(), log.end(), "write 8192");
    ASSERT_NE(firstWrite, log.begin());
    EXPECT_EQ(*(firstWrite - 1), "pause");
    EXPECT_EQ(log.back(), "restart");
}

TEST_F(PlayerTest, PlaysEveryByteInOrderAndRewindsAtTheEnd) {
    const std::string path = MakeWav("a.wav", 44100 * 2 + 123);
    Start(path);
    m_player->Play();
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(m_device->Played(), AsBytes(DecodeTrack(path)));
    // One uncounted end marker; stopped at 0 ms with the device open.
    EXPECT_EQ(Count(m_device->Log(), "write 0"), 1);
    EXPECT_FALSE(m_player->IsPlaying());
    EXPECT_EQ(m_player->GetPosition(), 0);
    EXPECT_EQ(m_track->GetFile()->GetPosition(), 0);
    EXPECT_TRUE(m_player->IsOpen());
    EXPECT_EQ(m_device->WritesOfUnpreparedOrQueued(), 0);
    // The next Play starts the track from its beginning.
    m_player->Play();
    ASSERT_TRUE(PlayToEnd(2));
    std::vector<std::uint8_t> twice = AsBytes(DecodeTrack(path));
    twice.insert(twice.end(), twice.begin(), twice.end());
    EXPECT_EQ(m_device->Played(), twice);
}

TEST_F(PlayerTest, PauseThenPlayResumesWithoutAGap) {
    const std::string path = MakeWav("a.wav", 44100 * 2);
    Start(path, {.tickMs = 1});
    m_player->Play();
    ASSERT_TRUE(RunEventsUntil([&] { return m_device->Played().size() >= 20 * 8192; }));
    m_player->Pause();
    EXPECT_TRUE(m_device->IsPaused());
    const std::size_t atPause = m_device->Played().size();
    QCoreApplication::processEvents();
    // The queued buffers stay on the paused device.
    EXPECT_GT(m_device->QueuedCount(), 0u);
    EXPECT_EQ(m_device->Played().size(), atPause);
    m_player->Play();
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(m_device->Played(), AsBytes(DecodeTrack(path)));
}

TEST_F(PlayerTest, TrackShorterThanFifteenBuffers) {
    // 0.1 s: two full buffers and a part of a third.
    const std::string path = MakeWav("short.wav", 4410);
    Start(path);
    m_device->Hold(true);
    m_player->Play();
    // Priming hands over and counts all fifteen, the empty ones too.
    EXPECT_EQ(m_player->QueuedCount(), 15);
    EXPECT_EQ(CountPrefix(m_device->Log(), "write "), 15);
    EXPECT_EQ(Count(m_device->Log(), "write 8192"), 2);
    EXPECT_EQ(Count(m_device->Log(), "write 1256"), 1);
    EXPECT_EQ(Count(m_device->Log(), "write 0"), 12);
    m_device->Hold(false);
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(m_device->Played(), AsBytes(DecodeTrack(path)));
    EXPECT_EQ(m_track->GetFile()->GetPosition(), 0);
    EXPECT_FALSE(m_player->IsPlaying());
}

TEST_F(PlayerTest, SeekWhileStoppedOnlyMovesTheFile) {
    Start(MakeWav("a.wav", 44100 * 4));
    m_device->ClearLog();
    EXPECT_TRUE(m_player->SeekPercent(50));
    EXPECT_EQ(m_player->GetPosition(), m_track->GetFile()->GetLength() / 2);
    // The WAVE kind jumps to whole seconds.
    EXPECT_EQ(m_track->GetFile()->GetPosition(), 1000);
    EXPECT_FALSE(m_player->IsPlaying());
    EXPECT_EQ(CountPrefix(m_device->Log(), "write"), 0);
}

TEST_F(PlayerTest, SeekWhilePlayingContinuesFromHalfTheLength) {
    // An MP3, whose decoder hands out more than one buffer at a time: nothing decoded before
    // the jump may come out after it.
    const std::string wav = m_dir.File("src.wav");
    SynthWav(wav, "-r 44100 -c 2 -b 16", "4 sine 300 sine 500");
    const std::string mp3 = LameEncode(wav, m_dir.File("a.mp3"), "-b 128");
    for (const std::string& path : {wav, mp3}) {
        SCOPED_TRACE(path);
        m_ends = 0;
        Start(path, {.tickMs = 1});
        m_player->Play();
        ASSERT_TRUE(RunEventsUntil([&] { return m_device->Played().size() >= 10 * 8192; }));
        EXPECT_TRUE(m_player->SeekPercent(50));
        EXPECT_TRUE(m_player->IsPlaying());
        const std::int32_t half = m_track->GetFile()->GetLength() / 2;
        EXPECT_EQ(m_player->GetPosition(), half);
        const std::size_t before = m_device->Played().size();
        ASSERT_TRUE(PlayToEnd());
        const std::vector<std::uint8_t> whole = AsBytes(DecodeTrack(path));
        std::vector<std::uint8_t> expected(whole.begin(), whole.begin() + before);
        const std::vector<std::uint8_t> rest = AsBytes(DecodeTrack(path, half));
        expected.insert(expected.end(), rest.begin(), rest.end());
        EXPECT_TRUE(m_device->Played() == expected)
            << "played " << m_device->Played().size() << " bytes, expected " << expected.size();
    }
}

TEST_F(PlayerTest, CloseWhilePlayingDoesNothingAndAfterPauseCloses) {
    Start(MakeWav("a.wav", 44100 * 2));
    m_device->Hold(true);
    m_player->Play();
    m_player->Close();
    EXPECT_TRUE(m_player->IsOpen());
    EXPECT_EQ(Count(m_device->Log(), "close"), 0);
    m_player->Pause();
    m_player->Close();
    EXPECT_FALSE(m_player->IsOpen());
    EXPECT_EQ(m_player->BufferCount(), 0);
    EXPECT_EQ(Count(m_device->Log(), "unprepare"), 15);
    EXPECT_EQ(m_track->GetFile()->Read(1, 4, nullptr, 0), -1) << "the stream is still open";
    // A later Play does nothing until the player is opened again.
    m_player->Play();
    EXPECT_EQ(m_player->QueuedCount(), 0);
}

TEST_F(PlayerTest, DestroyingAPlayingPlayerSilencesTheDevice) {
    std::vector<std::string> log;
    CTestWaveOutDevice::Options options;
    options.logCopy = &log;
    Start(MakeWav("a.wav", 44100 * 2), options);
    m_device->Hold(true);
    m_player->Play();
    m_player.reset();
    // Paused and reset before the buffers were taken back and freed, and closed.
    const auto pause = std::find(log.rbegin(), log.rend(), "pause");
    const auto reset = std::find(log.rbegin(), log.rend(), "reset");
    ASSERT_NE(pause, log.rend());
    ASSERT_NE(reset, log.rend());
    EXPECT_GT(pause - log.rbegin(), reset - log.rbegin()) << "reset before pause";
    EXPECT_EQ(Count(log, "unprepare"), 15);
    EXPECT_EQ(log.back(), "close");
    // Notifications posted by the reset die with the device.
    QCoreApplication::processEvents();
}

TEST_F(PlayerTest, WithoutADeviceNothingIsQueued) {
    Start(MakeWav("a.wav", 44100), {.failOpen = true});
    EXPECT_EQ(m_player->BufferCount(), 0);
    m_player->Play();
    EXPECT_EQ(CountPrefix(m_device->Log(), "write"), 0);
    EXPECT_TRUE(m_player->SeekPercent(30));
    m_player->Pause();
    m_player->Close();
}

TEST_F(PlayerTest, FewerBuffersWhenPreparingFailsPartWay) {
    const std::string path = MakeWav("a.wav", 44100);
    Start(path, {.prepareLimit = 3});
    EXPECT_EQ(m_player->BufferCount(), 3);
    m_player->Play();
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(m_device->Played(), AsBytes(DecodeTrack(path)));
}

TEST_F(PlayerTest, ADeviceThatKeepsItsBuffersDoesNotHangTheWaits) {
    Start(MakeWav("a.wav", 44100 * 2), {.neverReturn = true});
    m_player->Play();
    EXPECT_EQ(m_player->QueuedCount(), 15);
    // Returns after its bound, stopped at the new position.
    EXPECT_TRUE(m_player->SeekPercent(50));
    EXPECT_EQ(m_player->GetPosition(), m_track->GetFile()->GetLength() / 2);
    m_player->Pause();
    m_player.reset();
}

// What the window queues while the player is busy: the end of a drop, of a folder listing and
// of an add each reach the document's "stop playing", which destroys the player. Posted during
// the end-of-track rewind or a flush or jump, they run after it returned, never inside it: the
// player is not in use on the stack when they destroy it (ASan sees a use after free if it is).
TEST_F(PlayerTest, WorkPostedDuringARewindOrAFlushRunsAfterItAndMayDestroyThePlayer) {
    int stops = 0;
    const auto postStops = [&] {
        for (int i = 0; i < 3; ++i) {  // an add, a drop, a folder listing's result
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [&] {
                    ++stops;
                    if (m_player) {  // what CTrackPlayback::StopPlaying does
                        m_player->Pause();
                        m_player->Close();
                        m_player.reset();
                    }
                },
                Qt::QueuedConnection);
        }
    };
    const std::string path = MakeWav("a.wav", 44100);
    enum class During { kRewind, kFlush, kJump };
    for (const During during : {During::kRewind, During::kFlush, During::kJump}) {
        SCOPED_TRACE(static_cast<int>(during));
        stops = 0;
        m_ends = 0;
        m_atEnd = during == During::kRewind ? std::function<void()>(postStops) : nullptr;
        Start(path, {.tickMs = 1});
        m_player->Play();
        if (during == During::kRewind) {
            ASSERT_TRUE(RunEventsUntil([&] { return stops == 3; }));
            EXPECT_EQ(m_ends, 1);
            EXPECT_EQ(m_player, nullptr);
            continue;
        }
        ASSERT_TRUE(RunEventsUntil([&] { return m_device->Played().size() >= 4 * 8192; }));
        postStops();
        if (during == During::kFlush) {
            m_player->Flush();
            EXPECT_FALSE(m_player->IsPlaying());
        } else {
            EXPECT_TRUE(m_player->SeekPercent(50));
            EXPECT_TRUE(m_player->IsPlaying());
            EXPECT_EQ(m_player->GetPosition(), m_track->GetFile()->GetLength() / 2);
        }
        // The reset's buffers are still on their way back: nothing ran yet.
        EXPECT_TRUE(m_player->IsSettling());
        EXPECT_EQ(stops, 0);
        ASSERT_TRUE(RunEventsUntil([&] { return stops == 3; }));
        EXPECT_EQ(m_player, nullptr);
    }
    // Without a stop, a flushed player plays on from where it was sent once it has settled.
    m_atEnd = nullptr;
    m_ends = 0;
    Start(path, {.tickMs = 1});
    m_player->Play();
    ASSERT_TRUE(RunEventsUntil([&] { return m_device->Played().size() >= 4 * 8192; }));
    m_player->Flush();
    m_player->SeekPercent(50);
    m_player->Play();
    EXPECT_TRUE(m_player->IsPlaying());
    ASSERT_TRUE(PlayToEnd());
    EXPECT_FALSE(m_player->IsSettling());
    EXPECT_EQ(m_device->WritesOfUnpreparedOrQueued(), 0);
    EXPECT_EQ(m_player->GetPosition(), 0);
}

// A stream joined from a mono and a stereo encoding (and back) plays in the one format the
// decoder delivers for the whole stream: two channels at the first frame's rate, every byte.
TEST_F(PlayerTest, AJoinedMonoAndStereoStreamPlaysInOneFormat) {
    const std::string mono = SynthWav(m_dir.File("m.wav"), "-r 44100 -c 1", "0.5 sine 300");
    const std::string stereo = SynthWav(m_dir.File("s.wav"), "-r 44100 -c 2", "1 sine 500");
    std::vector<std::uint8_t> joined;
    for (const std::string& part :
         {LameEncode(mono, m_dir.File("m.mp3"), "-b 64 -m m"),
          LameEncode(stereo, m_dir.File("s.mp3"), "-b 128"), m_dir.File("m.mp3")}) {
        const std::vector<std::uint8_t> bytes = ReadFile(part);
        joined.insert(joined.end(), bytes.begin(), bytes.end());
    }
    const std::string path = m_dir.File("joined.mp3");
    WriteFile(path, joined);
    Start(path);
    EXPECT_EQ(m_device->Format().sampleRate, 44100u);
    EXPECT_EQ(m_device->Format().channels, 2);
    m_player->Play();
    ASSERT_TRUE(PlayToEnd());
    const std::vector<std::uint8_t> decoded = AsBytes(DecodeTrack(path));
    EXPECT_EQ(m_device->Played(), decoded);
    // Two seconds of audio and each encoding's own padding (about 50 ms a part): the mono
    // parts count whole, not as half as long as a stereo stream (which would give 1.5 s).
    EXPECT_NEAR(static_cast<double>(decoded.size()) / 4 / 44100, 2.0, 0.2);
}

TEST_F(PlayerTest, CompressedWavPlaysInTheFormatReadDelivers) {
    const std::string path = m_dir.File("adpcm.wav");
    SynthWav(path, "-r 22050 -c 1 -e ima-adpcm", "1 sine 440");
    Start(path);
    EXPECT_EQ(m_device->Format().sampleRate, 44100u);
    EXPECT_EQ(m_device->Format().channels, 2);
    m_player->Play();
    ASSERT_TRUE(PlayToEnd());
    EXPECT_EQ(m_device->Played(), AsBytes(DecodeTrack(path)));
}

}  // namespace
}  // namespace sonvara::test

namespace sonvara::test {
namespace {

// The capture comparison of the real-sound tests must catch what it is there for.
TEST(CaptureMatch, FindsTheTrackAndCatchesEveryFault) {
    const Samples track = {5, -5, 6, -6, 0, 0, 7, -7};
    auto withSilence = [](std::size_t lead, const Samples& body, std::size_t tail) {
        Samples s(lead * 2, 0);
        s.insert(s.end(), body.begin(), body.end());
        s.insert(s.end(), tail * 2, 0);
        return s;
    };
    CaptureMatch m = MatchCapture(withSilence(3, track, 2), {track});
    EXPECT_TRUE(m.ok) << m.message;
    EXPECT_EQ(m.leadFrames, 3u);
    EXPECT_EQ(m.gapFrames, 0u);

    Samples changed = track;
    changed[5] = 1;
    EXPECT_FALSE(MatchCapture(withSilence(3, changed, 2), {track}).ok);
    Samples dropped(track.begin(), track.begin() + 2);
    dropped.insert(dropped.end(), track.begin() + 4, track.end());
    EXPECT_FALSE(MatchCapture(withSilence(3, dropped, 2), {track}).ok);
    Samples cut(track.begin(), track.end() - 2);
    EXPECT_FALSE(MatchCapture(withSilence(3, cut, 0), {track}).ok);
    Samples extra = withSilence(3, track, 2);
    extra.back() = 9;
    EXPECT_FALSE(MatchCapture(extra, {track}).ok);

    // An interruption is a gap; a jump switches to the next segment.
    Samples gap = {5, -5, 0, 0, 0, 0, 6, -6, 0, 0, 7, -7};
    m = MatchCapture(gap, {track});
    EXPECT_TRUE(m.ok) << m.message;
    EXPECT_EQ(m.gapRuns, 1);
    EXPECT_EQ(m.gapFrames, 2u);
    // A track's own silence may fall into a gap.
    m = MatchCapture({5, -5, 0, 0, 6, -6, 7, -7}, {track});
    EXPECT_TRUE(m.ok) << m.message;
    const Samples second = {1, 2, 3, 4};
    m = MatchCapture({5, -5, 1, 2, 3, 4}, {track, second});
    EXPECT_TRUE(m.ok) << m.message;
    ASSERT_EQ(m.played.size(), 2u);
    EXPECT_EQ(m.played[0], 1u);
    EXPECT_EQ(m.played[1], 2u);
}

}  // namespace
}  // namespace sonvara::test

#include "playback/trackplayback.h"

namespace sonvara::test {
namespace {

// The working list's "&Play Track" / "&Stop Playing" and StopPlaying.
TEST(TrackPlayback, ResumesTheSameTrackAndStopsTheOldOneForAnother) {
    CTempDir dir;
    const std::string a = dir.File("a.wav");
    const std::string b = dir.File("b.wav");
    WriteFile(a, MakePcmWav(Sine(44100 * 2, 2, 440, 44100)));
    WriteFile(b, MakePcmWav(Sine(44100 * 2, 2, 660, 44100)));
    std::vector<std::string> log;
    CTrackPlayback playback([&log] {
        CTestWaveOutDevice::Options options;
        options.logCopy = &log;
        options.tickMs = 1000;  // the buffers stay queued while the test looks
        return std::make_unique<CTestWaveOutDevice>(options);
    });
    playback.Play(a);
    ASSERT_NE(playback.Player(), nullptr);
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(playback.Path(), a);
    CWavePlayer* first = playback.Player();
    // "&Stop Playing" only pauses; playing the same row again resumes without reopening.
    playback.Pause();
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_EQ(playback.Player(), first);
    playback.Play(a);
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(playback.Player(), first);
    EXPECT_EQ(Count(log, "open"), 1);
    EXPECT_EQ(Count(log, "close"), 0);
    // Another row: the first player is stopped and closed, the new track starts.
    playback.Play(b);
    EXPECT_EQ(Count(log, "close"), 1);
    EXPECT_EQ(Count(log, "open"), 2);
    EXPECT_EQ(playback.Path(), b);
    EXPECT_TRUE(playback.IsPlaying());
    // StopPlaying forgets player and track.
    playback.StopPlaying();
    EXPECT_EQ(playback.Player(), nullptr);
    EXPECT_EQ(playback.Path(), "");
    EXPECT_EQ(Count(log, "close"), 2);
    // Neither MP3 nor WAV: nothing plays.
    playback.Play(dir.File("notes.txt"));
    EXPECT_EQ(playback.Player(), nullptr);
    playback.StopPlaying();
}

}  // namespace
}  // namespace sonvara::test

namespace sonvara::test {
namespace {

// The player reads 8192 bytes at a time while the decoder hands out larger blocks; a jump must
// not let the rest of a block decoded before it come out after it.
TEST(MpegSeek, DropsWhatWasDecodedBeforeTheJump) {
    CTempDir dir;
    const std::string wav = SynthWav(dir.File("a.wav"), "-r 44100 -c 2 -b 16", "3 sine 300");
    const std::string mp3 = LameEncode(wav, dir.File("a.mp3"), "-b 128");
    std::vector<std::uint8_t> afterRead(8192);
    std::vector<std::uint8_t> fresh(8192);
    {
        CAudioTrack track(mp3);
        CAudioFile* f = track.GetFile();
        f->OpenStream();
        std::vector<std::uint8_t> first(8192);
        ASSERT_EQ(f->Read(8192, 1, first.data(), 8192), 8192);
        f->Seek(1500);
        ASSERT_EQ(f->Read(8192, 1, afterRead.data(), 8192), 8192);
    }
    {
        CAudioTrack track(mp3);
        CAudioFile* f = track.GetFile();
        f->OpenStream();
        f->Seek(1500);
        ASSERT_EQ(f->Read(8192, 1, fresh.data(), 8192), 8192);
    }
    EXPECT_TRUE(afterRead == fresh);
}

}  // namespace
}  // namespace sonvara::test
