// sonvara-cli analyze as a user runs it: a subprocess over generated files.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <sstream>

#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

const std::string kCli = SONVARA_CLI_PATH;

CommandResult Analyze(const std::string& args) {
    return RunCommand(kCli + " analyze " + args);
}

class AnalyzeCli : public ::testing::Test {
protected:
    void SetUp() override {
        const Bytes good = MakeStream(FrameShape{}, 30);
        Bytes bad = good;
        bad.erase(bad.begin() + 2000, bad.begin() + 2100);
        std::filesystem::create_directories(m_Dir.File("sub/deeper"));
        WriteFile(m_Dir.File("b.mp3"), good);
        WriteFile(m_Dir.File("a.MP3"), bad);
        WriteFile(m_Dir.File("c.mp3"), Bytes(5000, 0x42));  // no frame at all
        WriteFile(m_Dir.File("notes.txt"), {'h', 'i'});
        WriteFile(m_Dir.File("sub/d.Mp3"), good);
        WriteFile(m_Dir.File("sub/deeper/e.mp3"), good);
        WriteFile(m_Dir.File("sub/x.mp2"), good);
    }
    std::string P(const std::string& name) const { return m_Dir.File(name); }
    CTempDir m_Dir;
};

TEST_F(AnalyzeCli, OneLinePerFileInSortedOrderWithVerdictsAndReasons) {
    const CommandResult r = Analyze(ShellQuote(m_Dir.Path()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Corrupt\t" + P("a.MP3") + "\n" + "OK\t" + P("b.mp3") + "\n" + "Error\t" +
                         P("c.mp3") + "\tno MPEG audio frames\n");
    EXPECT_NE(r.err.find("3 of 3 files checked: 1 OK, 1 corrupt, 1 could not be checked"),
              std::string::npos)
        << r.err;
}

TEST_F(AnalyzeCli, RecursionTakesSubFoldersAndParallelRunsKeepTheOrder) {
    const CommandResult one = Analyze("-r -j 1 " + ShellQuote(m_Dir.Path()));
    const CommandResult many = Analyze("--recursive --jobs=4 " + ShellQuote(m_Dir.Path()));
    EXPECT_EQ(one.out, many.out);
    EXPECT_EQ(one.out, "Corrupt\t" + P("a.MP3") + "\n" + "OK\t" + P("b.mp3") + "\n" + "Error\t" +
                           P("c.mp3") + "\tno MPEG audio frames\n" + "OK\t" + P("sub/d.Mp3") +
                           "\n" + "OK\t" + P("sub/deeper/e.mp3") + "\n");
}

TEST_F(AnalyzeCli, AllIntactIsExitZero) {
    const CommandResult r = Analyze("-j2 " + ShellQuote(P("b.mp3")) + " " + ShellQuote(P("sub")));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "OK\t" + P("b.mp3") + "\nOK\t" + P("sub/d.Mp3") + "\n");
}

TEST_F(AnalyzeCli, UnreadableAndForeignPathsAreErrorsNotCorrupt) {
    ASSERT_EQ(::mkfifo(P("pipe.mp3").c_str(), 0644), 0);
    std::filesystem::create_symlink(P("gone.mp3"), P("dangling.mp3"));
    const CommandResult r =
        Analyze(ShellQuote(P("pipe.mp3")) + " " + ShellQuote(P("dangling.mp3")) + " " +
                ShellQuote(P("missing.mp3")) + " " + ShellQuote(P("notes.txt")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "Error\t" + P("dangling.mp3") + "\tcannot open: No such file or directory\n" +
                         "Error\t" + P("missing.mp3") + "\tno such file or folder\n" + "Error\t" +
                         P("notes.txt") + "\textension is not .MP3\n" + "Error\t" + P("pipe.mp3") +
                         "\tcannot open: not a regular file\n");
}

TEST_F(AnalyzeCli, UsageErrorsAndHelp) {
    EXPECT_EQ(Analyze("--bogus").exitCode, 2);
    EXPECT_EQ(Analyze("-j 0 .").exitCode, 2);
    EXPECT_EQ(Analyze("-j").exitCode, 2);
    EXPECT_EQ(RunCommand(kCli).exitCode, 2);
    EXPECT_EQ(RunCommand(kCli + " frobnicate").exitCode, 2);
    const CommandResult help = Analyze("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

TEST_F(AnalyzeCli, WithoutPathsTheMusicFolderIsChecked) {
    std::filesystem::create_directories(P("home/Music"));
    WriteFile(P("home/Music/song.mp3"), MakeStream(FrameShape{}, 3));
    const CommandResult r = RunCommand("HOME=" + ShellQuote(P("home")) + " XDG_CONFIG_HOME=" +
                                       ShellQuote(P("home/.config")) + " " + kCli + " analyze");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "OK\t" + P("home/Music/song.mp3") + "\n");
}

TEST_F(AnalyzeCli, LinksToFoldersAreNotFollowed) {
    std::filesystem::create_directory_symlink(m_Dir.Path(), P("sub/loop"));
    const CommandResult r = Analyze("-r " + ShellQuote(P("sub")));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "OK\t" + P("sub/d.Mp3") + "\nOK\t" + P("sub/deeper/e.mp3") + "\n");
}

// --details keeps the result lines as they are and adds tab-led finding lines; --json gives
// one valid object per file in the same order, whatever bytes the names hold.
TEST_F(AnalyzeCli, DetailsAndJsonNameEveryFindingAndAnyPathBytes) {
    const std::string odd = P("odd\xff\tname.mp3");
    Bytes junk = MakeStream(FrameShape{}, 4);
    junk.insert(junk.end(), 9, 0x20);
    Append(junk, MakeStream(FrameShape{}, 4));
    WriteFile(odd, junk);
    const CommandResult plain = Analyze(ShellQuote(m_Dir.Path()));
    const CommandResult details = Analyze("--details " + ShellQuote(m_Dir.Path()));
    EXPECT_EQ(details.exitCode, 1);
    std::string resultLines;
    std::string findingLines;
    std::istringstream lines(details.out);
    for (std::string line; std::getline(lines, line);) {
        (line.rfind('\t', 0) == 0 ? findingLines : resultLines) += line + "\n";
    }
    EXPECT_EQ(resultLines, plain.out);
    EXPECT_NE(findingLines.find("\terror\tlost_sync\t0:00.104\t1668\t4\t9\t"), std::string::npos)
        << findingLines;

    // Python reads each line as JSON and prints what it found; path_bytes gives the name back.
    const std::string script =
        "import json,sys\n"
        "for l in sys.stdin:\n"
        "  o=json.loads(l)\n"
        "  p=bytes.fromhex(o['path_bytes']) if 'path_bytes' in o else o['path'].encode()\n"
        "  k=','.join(f['kind']+'@'+str(f['offset'])+':'+f['severity'] for f in "
        "o.get('findings',[]))\n"
        "  print(p.split(b'/')[-1], o['verdict'], o.get('reason',''), o.get('frames'), k)\n";
    const CommandResult json =
        RunCommand(kCli + " analyze --json -j 2 " + ShellQuote(m_Dir.Path()) + " | python3 -c " +
                   ShellQuote(script));
    EXPECT_EQ(json.out,
              "b'a.MP3' Corrupt  29 lost_sync@2085:error\n"
              "b'b.mp3' OK  30 \n"
              "b'c.mp3' Error no MPEG audio frames None \n"
              "b'odd\\xff\\tname.mp3' Corrupt  8 lost_sync@1668:error\n")
        << json.err;
    EXPECT_EQ(Analyze("--json --details .").exitCode, 2);
}

}  // namespace
}  // namespace sonvara::test
