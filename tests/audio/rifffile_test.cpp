#include "audio/riff/rifffile.h"

#include <gtest/gtest.h>

#include "audio/riff/littleendian.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

class RiffLayer : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes) {
        WriteFile(m_Dir.File("r.riff"), bytes);
        return m_Dir.File("r.riff");
    }
    CTempDir m_Dir;
};

TEST_F(RiffLayer, SearchesStayAtTheirLevelAndInsideTheParent) {
    // A "LIST" holding a "data" chunk, then the real one; and a "data" after the RIFF's end.
    Bytes list = {'I', 'N', 'F', 'O', 'd', 'a', 't', 'a', 2, 0, 0, 0, 0xAA, 0xBB};
    Bytes riff =
        MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)}, {"LIST", list}, {"data", {1, 2, 3}}});
    Append(riff, {'d', 'a', 't', 'a', 4, 0, 0, 0, 9, 9, 9, 9});
    CRiffFile f;
    ASSERT_TRUE(f.Open(Write(riff), CRiffFile::Mode::kRead));
    RiffChunk wave;
    wave.formType = kFourccWave;
    ASSERT_TRUE(f.Descend(wave, nullptr, kRiffFindRiff));
    EXPECT_EQ(f.Tell(), 12);
    RiffChunk data;
    data.id = kFourccData;
    ASSERT_TRUE(f.Descend(data, &wave, kRiffFindChunk));
    EXPECT_EQ(data.size, 3u);
    std::uint8_t got[3];
    ASSERT_EQ(f.Read(got, 3), 3u);
    EXPECT_EQ(got[0], 1);
    ASSERT_TRUE(f.Ascend(data));
    EXPECT_EQ(f.Tell(), data.dataOffset + 4);  // past the pad byte
    RiffChunk again;
    again.id = kFourccData;
    EXPECT_FALSE(f.Descend(again, &wave, kRiffFindChunk));  // the one outside is not found
}

TEST_F(RiffLayer, ClaimedSizesAreCutToWhatTheParentAndTheFileHold) {
    Bytes riff = MakeRiff({{"fmt ", FmtData(1, 2, 44100, 16)}, {"data", Bytes(10, 0), 0xFFFFFFFF}},
                          0xFFFFFFFF);
    CRiffFile f;
    ASSERT_TRUE(f.Open(Write(riff), CRiffFile::Mode::kRead));
    RiffChunk wave;
    wave.formType = kFourccWave;
    ASSERT_TRUE(f.Descend(wave, nullptr, kRiffFindRiff));
    EXPECT_EQ(wave.claimedSize, 0xFFFFFFFFu);
    EXPECT_EQ(wave.size, riff.size() - 8);
    RiffChunk data;
    data.id = kFourccData;
    ASSERT_TRUE(f.Descend(data, &wave, kRiffFindChunk));
    EXPECT_EQ(data.size, 10u);
    EXPECT_EQ(data.claimedSize, 0xFFFFFFFFu);

    // A chunk header cut short, and a RIFF too short for its form type.
    ASSERT_TRUE(f.Open(Write({'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}), CRiffFile::Mode::kRead));
    EXPECT_FALSE(f.Descend(wave, nullptr, kRiffFindRiff));
    ASSERT_TRUE(f.Open(Write({'R', 'I', 'F', 'F', 0, 0, 0, 0}), CRiffFile::Mode::kRead));
    EXPECT_FALSE(f.Descend(wave, nullptr, kRiffFindRiff));
}

TEST_F(RiffLayer, CreatedChunksGetTheirSizesAndPadBytesOnAscend) {
    const std::string path = m_Dir.File("new.riff");
    CRiffFile f;
    ASSERT_TRUE(f.Open(path, CRiffFile::Mode::kCreate));
    RiffChunk riff;
    riff.formType = kFourccWave;
    ASSERT_TRUE(f.CreateChunk(riff, kRiffCreateRiff));
    RiffChunk odd;
    odd.id = MakeFourCC('o', 'd', 'd', ' ');
    ASSERT_TRUE(f.CreateChunk(odd, 0));
    ASSERT_TRUE(f.Write("abc", 3));
    ASSERT_TRUE(f.Ascend(odd));
    RiffChunk big;
    big.id = kFourccData;
    ASSERT_TRUE(f.CreateChunk(big, 0));
    RiffWindow w;
    ASSERT_TRUE(f.GetInfo(w));
    Bytes expected;
    for (int i = 0; i < 200000; ++i) {  // several windows' worth
        if (w.next == w.end) {
            ASSERT_TRUE(f.Advance(w));
        }
        *w.next++ = static_cast<std::uint8_t>(i * 7);
        expected.push_back(static_cast<std::uint8_t>(i * 7));
    }
    f.SetInfo(w);
    ASSERT_TRUE(f.Ascend(big));
    ASSERT_TRUE(f.Ascend(riff));
    ASSERT_TRUE(f.Close());

    const Bytes file = ReadFile(path);
    ASSERT_EQ(file.size(), 12u + 8 + 4 + 8 + 200000);
    EXPECT_EQ(GetLE32(file.data() + 4), file.size() - 8);
    EXPECT_EQ(GetLE32(file.data() + 16), 3u);
    EXPECT_EQ(file[23], 0);  // the pad byte
    EXPECT_EQ(GetLE32(file.data() + 28), 200000u);
    EXPECT_EQ(Bytes(file.begin() + 32, file.end()), expected);
}

}  // namespace
}  // namespace sonvara::test
