#include "uitestsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "support/mpegframes.h"

namespace sonvara::test {

std::vector<std::uint8_t> GoodMp3(int frames) {
    return MakeStream(FrameShape{}, frames);
}

std::vector<std::uint8_t> CorruptMp3(int frames) {
    std::vector<std::uint8_t> bad = MakeStream(FrameShape{}, frames);
    bad.erase(bad.begin() + 3000, bad.begin() + 3100);
    return bad;
}

std::vector<ReadTrack> ReadWithoutDialog(const std::vector<std::string>& paths, bool) {
    std::vector<ReadTrack> read;
    for (const std::string& path : paths) {
        ReadTrack track;
        track.path = path;
        track.info.lengthMs = 2000;
        read.push_back(track);
    }
    return read;
}

}  // namespace sonvara::test
