// Without a sound server (PULSE_SERVER names a socket that does not exist): the device does
// not open, the player prepares no buffers, and nothing hangs or crashes.
#include <gtest/gtest.h>

#include "audio/audiotrack.h"
#include "playback/qtwaveoutdevice.h"
#include "playback/waveplayer.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

TEST(NoSoundServer, DeviceDoesNotOpen) {
    CQtWaveOutDevice device;
    EXPECT_FALSE(device.Open({44100, 2, 16}, [](WaveHeader*) {}));
    EXPECT_FALSE(device.IsOpen());
    WaveHeader h;
    std::uint8_t data[16] = {};
    h.data = data;
    h.capacity = sizeof data;
    EXPECT_FALSE(device.Prepare(h));
    EXPECT_FALSE(device.Write(h));
    device.Pause();
    device.Restart();
    device.Reset();
    device.Close();
}

TEST(NoSoundServer, PlayerIsSilentAndEveryCommandReturns) {
    CTempDir dir;
    const std::string path = dir.File("tone.wav");
    WriteFile(path, MakePcmWav(Sine(44100, 2, 440, 44100)));
    CAudioTrack track(path);
    {
        CWavePlayer player;
        player.Open(track.GetFile());
        EXPECT_EQ(player.BufferCount(), 0);
        EXPECT_FALSE(player.IsOpen());
        player.Play();
        EXPECT_EQ(player.QueuedCount(), 0);
        EXPECT_TRUE(player.SeekPercent(50));
        player.Pause();
        player.Close();
        player.Play();
        // Destroyed while "playing".
    }
}

}  // namespace
}  // namespace sonvara::test
