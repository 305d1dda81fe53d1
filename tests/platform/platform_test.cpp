#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "audio/makevalidfilename.h"
#include "platform/fileinfo.h"
#include "platform/paths.h"
#include "support/childprocess.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

TEST(Paths, ExtensionIsTakenFromTheNamePartAsSplittingAPathGivesIt) {
    EXPECT_EQ(Extension("/music/a.b/track.Mp3"), ".Mp3");
    EXPECT_EQ(Extension("/music/a.b/track"), "");
    EXPECT_EQ(Extension("/music/a.b/.mp3"), ".mp3");
    EXPECT_EQ(Extension("/music/track."), ".");
    EXPECT_EQ(Extension("track.tar.wav"), ".wav");
    EXPECT_EQ(UpperExtension("/x/Ä.wAv"), ".WAV");
    EXPECT_EQ(UpperAscii("straße.mp3"), "STRAßE.MP3");  // only ASCII letters change
    EXPECT_EQ(FileNamePart("/a/b/c.mp3"), "c.mp3");
    EXPECT_EQ(DirectoryPart("/a/b/c.mp3"), "/a/b/");
    EXPECT_EQ(DirectoryPart("c.mp3"), "");
}

TEST(Paths, Utf8CutNeverSplitsACharacter) {
    const std::string text = "a\xC3\xA4\xE2\x82\xAC";  // a, ä (2 bytes), € (3 bytes)
    EXPECT_EQ(Utf8CutLength(text, 10), 6u);
    EXPECT_EQ(Utf8CutLength(text, 6), 6u);
    EXPECT_EQ(Utf8CutLength(text, 5), 3u);
    EXPECT_EQ(Utf8CutLength(text, 4), 3u);
    EXPECT_EQ(Utf8CutLength(text, 2), 1u);
    EXPECT_EQ(Utf8CutLength(text, 0), 0u);
}

TEST(MakeValidFileName, ReplacesTheNineCharactersInTheNamePartOnly) {
    EXPECT_EQ(MakeValidFileName("/music/a:b?.wav", true), "/music/a_b_.wav");
    EXPECT_EQ(MakeValidFileName("/mu:sic/x*y\"z<w>v|u\\t.mp3", true), "/mu:sic/x_y_z_w_v_u_t.mp3");
    EXPECT_EQ(MakeValidFileName("/music/AC/DC.mp3", false), "_music_AC_DC.mp3");
    EXPECT_EQ(MakeValidFileName("plain name.mp3", true), "plain name.mp3");
    EXPECT_EQ(MakeValidFileName("", true), "");
}

TEST(MakeValidFileName, ALongNameIsCutBeforeItsExtensionAtACharacterBoundary) {
    std::string stem;
    for (int i = 0; i < 120; ++i) {
        stem += "\xC3\xA4";  // ä, 240 bytes in all
    }
    stem += "abcdefghijklmnopqrstuvwxyz";
    const std::string folder = "/" + std::string(300, 'f') + "/";
    const std::string out = MakeValidFileName(folder + stem + ":.mp3", true);
    ASSERT_EQ(out.substr(0, folder.size()), folder);  // the folder part is never cut
    const std::string name = out.substr(folder.size());
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    EXPECT_EQ(name.size(), 255u);
    EXPECT_EQ(name.substr(0, 240), stem.substr(0, 240));

    // Here the cut falls inside a two-byte character, which is dropped whole.
    const std::string wide = std::string(250, 'x').substr(0, 250) + "\xC3\xA4\xC3\xA4" + ".wav";
    const std::string cut = MakeValidFileName(wide, false);
    EXPECT_EQ(cut, std::string(250, 'x') + ".wav");
}

TEST(ReadOnly, MissingFilesAreNotReadOnlyAndPermissionsAreThoseOfTheUser) {
    CTempDir dir;
    EXPECT_FALSE(IsReadOnlyPath(dir.File("missing.mp3")));
    const std::string path = dir.File("a.mp3");
    WriteFile(path, {1, 2, 3});
    EXPECT_FALSE(IsReadOnlyPath(path));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() != 0) {
        EXPECT_TRUE(IsReadOnlyPath(path));
        return;
    }
    // Root may write any file, so the test asks as an unprivileged user in a child process.
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    EXPECT_EQ(InChildProcess([&] { return IsReadOnlyPath(path) ? 0 : 1; }, RLIM_INFINITY, true), 0)
        << "read-only file not reported as read-only";
}

}  // namespace
}  // namespace sonvara::test
