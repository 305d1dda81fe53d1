#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/atomicfile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "support/childprocess.h"
#include "support/filesnapshot.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

unsigned ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// A process id that belonged to a process which has ended.
unsigned long EndedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<unsigned long>(child);
}

// Our temporary name for target, as another process id would have made it.
std::string TempNameOf(const std::string& target, unsigned long pid, unsigned long long n) {
    std::string name = AtomicTempName(target, n);
    const std::string own = ".sonvara-" + std::to_string(::getpid()) + "-";
    const std::size_t at = name.rfind(own);
    return name.replace(at, own.size(), ".sonvara-" + std::to_string(pid) + "-");
}

TEST(AtomicFile, ANewFileAppearsOnlyWhenCommittedAndNothingElseRemains) {
    CTempDir dir;
    const std::string target = dir.File("out.wav");
    {
        CAtomicFile file(target);
        FileOpError error;
        ASSERT_TRUE(file.Create(error)) << error.text;
        EXPECT_EQ(DirectoryPart(file.TempPath()), DirectoryPart(target));  // same folder
        EXPECT_TRUE(IsAtomicTempName(std::string(FileNamePart(file.TempPath()))));
        WriteFile(file.TempPath(), Text("complete"));
        EXPECT_FALSE(fs::exists(target));  // nothing under the final name while writing
        ASSERT_TRUE(file.Commit(error)) << error.text;
        EXPECT_TRUE(file.TempPath().empty());
    }
    EXPECT_EQ(ReadFile(target), Text("complete"));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), 0666u & ~mask);
    EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());

    // Not committed (a failure or a stop): the temporary file goes, the target is untouched.
    {
        CAtomicFile file(target);
        FileOpError error;
        ASSERT_TRUE(file.Create(error));
        WriteFile(file.TempPath(), Text("half"));
    }
    EXPECT_EQ(ReadFile(target), Text("complete"));
    EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());
}

TEST(AtomicFile, ReplacingKeepsTheModeAndGivesANewFile) {
    CTempDir dir;
    const std::string target = dir.File("tagged.mp3");
    WriteFile(target, Text("old"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string hardLink = dir.File("other-name.mp3");
    fs::create_hard_link(target, hardLink);
    FileOpError error;
    ASSERT_TRUE(WriteFileAtomically(target, "new!", 4, error)) << error.text;
    EXPECT_EQ(ReadFile(target), Text("new!"));
    EXPECT_EQ(ModeOf(target), 0640u);
    // A new file took the name: the old one (reachable under its other name) was not written.
    EXPECT_EQ(ReadFile(hardLink), Text("old"));
    EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());
}

TEST(AtomicFile, ALinkIsReplacedAndItsTargetNeverWritten) {
    CTempDir dir;
    fs::create_directories(dir.File("elsewhere"));
    const std::string original = dir.File("elsewhere/song.wav");
    WriteFile(original, Text("the user's file"));
    ASSERT_EQ(::chmod(original.c_str(), 0604), 0);
    const std::string link = dir.File("song.wav");
    fs::create_symlink(original, link);
    const FileSnapshot before = TakeSnapshot(dir.File("elsewhere"));

    FileOpError error;
    ASSERT_TRUE(WriteFileAtomically(link, "output", 6, error)) << error.text;
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(link), Text("output"));
    EXPECT_EQ(ModeOf(link), 0604u);  // the mode of the file the link named
    EXPECT_EQ(SnapshotDifference(before, TakeSnapshot(dir.File("elsewhere"))), "");

    // A dangling link is replaced the same way.
    const std::string dangling = dir.File("dangling.wav");
    fs::create_symlink(dir.File("nowhere/x.wav"), dangling);
    ASSERT_TRUE(WriteFileAtomically(dangling, "x", 1, error)) << error.text;
    EXPECT_EQ(ReadFile(dangling), Text("x"));
    EXPECT_FALSE(fs::exists(dir.File("nowhere")));
}

TEST(AtomicFile, WithoutReplacingAnyExistingTargetIsRefused) {
    CTempDir dir;
    const std::string target = dir.File("a.mp3");
    WriteFile(target, Text("mine"));
    FileOpError error;
    EXPECT_FALSE(WriteFileAtomically(target, "theirs", 6, error, false));
    EXPECT_EQ(error.text, "the target exists");
    EXPECT_EQ(ReadFile(target), Text("mine"));

    const std::string link = dir.File("link.mp3");
    fs::create_symlink(dir.File("missing"), link);  // even a dangling link counts
    EXPECT_FALSE(WriteFileAtomically(link, "x", 1, error, false));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(TempFilesUnder(dir.Path()).size() == 0);

    ASSERT_TRUE(WriteFileAtomically(dir.File("free.mp3"), "y", 1, error, false)) << error.text;
    EXPECT_EQ(ReadFile(dir.File("free.mp3")), Text("y"));
}

TEST(AtomicFile, AFailedWriteLeavesTheTargetAsItWasAndNoTemporaryFile) {
    CTempDir dir;
    const std::string target = dir.File("big.wav");
    WriteFile(target, Text("before"));
    const Bytes big(64 * 1024, 7);
    // A file-size limit makes the write fail as a full disk would.
    EXPECT_EQ(InChildProcess(
                  [&] {
                      FileOpError error;
                      const bool ok = WriteFileAtomically(target, big.data(), big.size(), error);
                      return !ok && error.diskFull ? 0 : 1;
                  },
                  4096),
              0);
    EXPECT_EQ(ReadFile(target), Text("before"));
    EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());

    // A folder that cannot be written: the reason comes back, nothing is made.
    fs::create_directories(dir.File("locked"));
    ASSERT_EQ(::chmod(dir.File("locked").c_str(), 0555), 0);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      FileOpError error;
                      const bool ok = WriteFileAtomically(dir.File("locked/x"), "x", 1, error);
                      return !ok && error.text.find("ermission") != std::string::npos ? 0 : 1;
                  },
                  RLIM_INFINITY, ::geteuid() == 0),
              0);
    EXPECT_TRUE(fs::is_empty(dir.File("locked")));
}

TEST(AtomicFile, TemporaryNamesAreUniqueOursAndFitTheNameLimit) {
    CTempDir dir;
    const std::string target = dir.File("x.wav");
    // Names a user or an older version could have made never block: neither a fixed "~x.wav"
    // nor a stray of ours under the very name the next Create would pick.
    WriteFile(dir.File("~x.wav"), Text("user"));
    for (unsigned long long n = 0; n < 200; ++n) {
        WriteFile(AtomicTempName(target, n), Text("stray"));
    }
    CAtomicFile a(target);
    CAtomicFile b(target);
    FileOpError error;
    ASSERT_TRUE(a.Create(error)) << error.text;
    ASSERT_TRUE(b.Create(error)) << error.text;
    EXPECT_NE(a.TempPath(), b.TempPath());
    EXPECT_EQ(ReadFile(dir.File("~x.wav")), Text("user"));

    EXPECT_TRUE(IsAtomicTempName(".x.wav.sonvara-123-0a1b2c3d-7.tmp"));
    EXPECT_FALSE(IsAtomicTempName("x.wav.sonvara-123-0a1b2c3d-7.tmp"));  // no leading dot
    EXPECT_FALSE(IsAtomicTempName(".x.wav.sonvara-123-0a1b2c3-7.tmp"));  // short host tag
    EXPECT_FALSE(IsAtomicTempName(".x.wav.sonvara-12a-0a1b2c3d-7.tmp"));
    EXPECT_FALSE(IsAtomicTempName(".x.wav.tmp"));
    EXPECT_FALSE(IsAtomicTempName("~x.wav"));

    // A name of 255 bytes (the most a file system allows) still gets a temporary name that fits.
    std::string stem;
    for (int i = 0; i < 125; ++i) {
        stem += "\xC3\xA4";  // ä
    }
    const std::string longTarget = dir.File(stem + "a.wav");
    ASSERT_EQ(FileNamePart(longTarget).size(), 255u);
    const std::string temp = AtomicTempName(longTarget, 18446744073709551615ULL);
    EXPECT_LE(FileNamePart(temp).size(), 255u);
    EXPECT_TRUE(IsAtomicTempName(std::string(FileNamePart(temp))));
    ASSERT_TRUE(WriteFileAtomically(longTarget, "z", 1, error)) << error.text;
    EXPECT_EQ(ReadFile(longTarget), Text("z"));
}

TEST(AtomicFile, StrayTemporaryFilesOfEndedRunsAreRemovedAndNothingElse) {
    CTempDir dir;
    const std::string target = dir.File("song.wav");
    const std::string stray = TempNameOf(target, EndedProcessId(), 3);
    const std::string live = TempNameOf(target, 1, 3);  // process 1 always runs
    const std::string ownName = AtomicTempName(target, 0);
    const std::string mark = ".sonvara-" + std::to_string(::getpid()) + "-";
    const std::string ownTag = ownName.substr(ownName.rfind(mark) + mark.size(), 8);
    const std::string otherHost =
        dir.File(".song.wav.sonvara-" + std::to_string(EndedProcessId()) + "-" +
                 (ownTag == "00000000" ? "11111111" : "00000000") + "-4.tmp");
    WriteFile(otherHost, Text("o"));
    WriteFile(stray, Text("s"));
    WriteFile(live, Text("l"));
    WriteFile(dir.File("~song.wav"), Text("u"));
    WriteFile(dir.File("song.wav.tmp"), Text("u"));
    WriteFile(dir.File("song.wav"), Text("u"));
    fs::create_directories(dir.File("sub"));
    const std::string deeper = TempNameOf(dir.File("sub/x.wav"), EndedProcessId(), 1);
    WriteFile(deeper, Text("d"));
    CAtomicFile own(target);
    FileOpError error;
    ASSERT_TRUE(own.Create(error));

    EXPECT_EQ(RemoveStrayTemps(dir.Path()), 1u);
    EXPECT_FALSE(fs::exists(stray));
    EXPECT_TRUE(fs::exists(live));
    EXPECT_TRUE(fs::exists(own.TempPath()));  // this process's own work goes on
    EXPECT_TRUE(fs::exists(dir.File("~song.wav")));
    EXPECT_TRUE(fs::exists(dir.File("song.wav.tmp")));
    EXPECT_TRUE(fs::exists(deeper));     // sub-folders are not walked
    EXPECT_TRUE(fs::exists(otherHost));  // another machine's run sharing the folder
}

TEST(MoveFile, LinksMoveAsLinksWhenTheyStillPointToTheirFile) {
    CTempDir dir;
    fs::create_directories(dir.File("music"));
    fs::create_directories(dir.File("bad"));
    WriteFile(dir.File("music/real.mp3"), Text("audio"));
    fs::create_symlink(dir.File("music/real.mp3"), dir.File("music/absolute.mp3"));
    fs::create_symlink("real.mp3", dir.File("music/relative.mp3"));

    FileOpError error;
    ASSERT_TRUE(
        MoveFile(dir.File("music/absolute.mp3"), dir.File("bad/absolute.mp3"), false, error))
        << error.text;
    EXPECT_TRUE(fs::is_symlink(dir.File("bad/absolute.mp3")));
    EXPECT_EQ(ReadFile(dir.File("bad/absolute.mp3")), Text("audio"));

    EXPECT_FALSE(
        MoveFile(dir.File("music/relative.mp3"), dir.File("bad/relative.mp3"), false, error));
    EXPECT_NE(error.text.find("relative symbolic link"), std::string::npos);
    EXPECT_TRUE(fs::is_symlink(dir.File("music/relative.mp3")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.File("bad/relative.mp3"))));

    // Without replacing, a file already at the target stays and the source stays too.
    WriteFile(dir.File("music/x.mp3"), Text("one"));
    WriteFile(dir.File("bad/x.mp3"), Text("two"));
    EXPECT_FALSE(MoveFile(dir.File("music/x.mp3"), dir.File("bad/x.mp3"), false, error));
    EXPECT_EQ(ReadFile(dir.File("bad/x.mp3")), Text("two"));
    EXPECT_EQ(ReadFile(dir.File("music/x.mp3")), Text("one"));
}

TEST(MoveFile, AcrossFileSystemsAFileKeepsItsModeAndALinkStaysALink) {
    if (!fs::is_directory("/dev/shm")) {
        GTEST_SKIP() << "no second file system at /dev/shm";
    }
    CTempDir dir;
    const std::string other = "/dev/shm/sonvara-atomic-" + std::to_string(::getpid());
    fs::create_directories(other);
    struct Cleanup {
        std::string dir;
        ~Cleanup() { fs::remove_all(dir); }
    } cleanup{other};
    WriteFile(other + "/a.mp3", Text("audio"));
    ASSERT_EQ(::chmod((other + "/a.mp3").c_str(), 0600), 0);
    WriteFile(dir.File("a.mp3"), Text("replaced"));
    ASSERT_EQ(::chmod(dir.File("a.mp3").c_str(), 0644), 0);
    FileOpError error;
    ASSERT_TRUE(MoveFile(other + "/a.mp3", dir.File("a.mp3"), true, error)) << error.text;
    EXPECT_EQ(ReadFile(dir.File("a.mp3")), Text("audio"));
    EXPECT_EQ(ModeOf(dir.File("a.mp3")), 0600u);
    EXPECT_FALSE(fs::exists(other + "/a.mp3"));

    WriteFile(dir.File("real.mp3"), Text("r"));
    fs::create_symlink(dir.File("real.mp3"), other + "/l.mp3");
    ASSERT_TRUE(MoveFile(other + "/l.mp3", dir.File("l.mp3"), false, error)) << error.text;
    EXPECT_TRUE(fs::is_symlink(dir.File("l.mp3")));
    EXPECT_EQ(fs::read_symlink(dir.File("l.mp3")).string(), dir.File("real.mp3"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(other + "/l.mp3")));
    EXPECT_TRUE(TempFilesUnder(dir.Path()).empty());
}

TEST(EscapeControls, EveryTextStaysOnOneLineAndReadsBackExactly) {
    EXPECT_EQ(EscapeControls("a\tb\nc\rd\\e", true), "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(EscapeControls("a\tb\nc\rd\\e", false), "a\\tb\\nc\\rd\\e");
    EXPECT_EQ(EscapeControls(std::string("\x1b[31m\x7f\0z", 8), true), "\\x1b[31m\\x7f\\x00z");
    EXPECT_EQ(EscapeControls("Ärger € ok", true), "Ärger € ok");  // UTF-8 stays
}

}  // namespace
}  // namespace sonvara::test
