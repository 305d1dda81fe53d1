// sonvara-cli repair as a user runs it: copies into a folder, replacement with the original
// kept, refusals, and names that are not UTF-8.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

const std::string kCli = SONVARA_CLI_PATH;

class RepairCli : public ::testing::Test {
protected:
    void SetUp() override {
        Bytes bad = MakeStream(FrameShape{}, 10);
        bad.insert(bad.end(), 50, 0x20);
        Append(bad, MakeStream(FrameShape{}, 10));
        m_Bad = bad;
        std::filesystem::create_directories(P("in"));
        WriteFile(P("in/good.mp3"), MakeStream(FrameShape{}, 30));
        WriteFile(P("in/bad.mp3"), bad);
        WriteFile(P("in/odd\xff\tname.mp3"), bad);
        Bytes noise(4000);
        for (std::size_t i = 0; i < noise.size(); ++i) {
            noise[i] = static_cast<std::uint8_t>(i * 7919 % 251);
        }
        WriteFile(P("in/noise.mp3"), noise);
    }
    std::string P(const std::string& name) const { return m_Dir.File(name); }
    CommandResult Repair(const std::string& args) {
        return RunCommand(kCli + " repair " + args + " < /dev/null");
    }
    CTempDir m_Dir;
    Bytes m_Bad;
};

TEST_F(RepairCli, CopiesGoToTheOutputFolderAndTheOriginalsStayAsTheyWere) {
    const std::string out = ShellQuote(P("out"));
    CommandResult r = Repair("--output-dir " + out + " " + ShellQuote(P("in")));
    EXPECT_EQ(r.exitCode, 1);  // noise.mp3 is refused
    const std::string what = "dropped 467 bytes of junk and partial frames; kept 19 frames";
    EXPECT_EQ(r.out, "Repaired\t" + P("in/bad.mp3") + "\t" + what + "; written to " +
                         P("out/bad.mp3") + "\nOK\t" + P("in/good.mp3") + "\nError\t" +
                         P("in/noise.mp3") + "\tno MPEG audio stream found\nRepaired\t" +
                         P("in/odd\xff\\tname.mp3") + "\t" + what + "; written to " +
                         P("out/odd\xff\\tname.mp3") + "\n")
        << r.err;
    EXPECT_EQ(ReadFile(P("in/bad.mp3")), m_Bad);
    EXPECT_EQ(ReadFile(P("in/odd\xff\tname.mp3")), m_Bad);
    EXPECT_FALSE(std::filesystem::exists(P("out/good.mp3")));
    const CommandResult check = RunCommand(kCli + " analyze " + out);
    EXPECT_EQ(check.exitCode, 0) << check.out;

    // Existing outputs are kept with --no and replaced with --yes.
    WriteFile(P("out/bad.mp3"), {'x'});
    r = Repair("--no --output-dir " + out + " " + ShellQuote(P("in/bad.mp3")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "Error\t" + P("in/bad.mp3") + "\t" + P("out/bad.mp3") + " exists and is kept\n");
    EXPECT_EQ(ReadFile(P("out/bad.mp3")), Bytes{'x'});
    r = Repair("--yes --output-dir " + out + " " + ShellQuote(P("in/bad.mp3")));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(ReadFile(P("out/bad.mp3")).size(), 19u * 417);
}

TEST_F(RepairCli, ReplacingKeepsEveryOriginalUnderAFreeName) {
    const std::string bad = ShellQuote(P("in/bad.mp3"));
    CommandResult r = Repair("--replace " + bad);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("the original is kept as " + P("in/bad.mp3.bak")), std::string::npos);
    EXPECT_EQ(ReadFile(P("in/bad.mp3.bak")), m_Bad);
    EXPECT_EQ(ReadFile(P("in/bad.mp3")).size(), 19u * 417);
    r = Repair("--replace " + bad);  // repaired already: nothing written, no new backup
    EXPECT_EQ(r.out, "OK\t" + P("in/bad.mp3") + "\n");
    EXPECT_FALSE(std::filesystem::exists(P("in/bad.mp3.bak.2")));
    WriteFile(P("in/bad.mp3"), m_Bad);
    EXPECT_EQ(Repair("--replace " + bad).exitCode, 0);
    EXPECT_EQ(ReadFile(P("in/bad.mp3.bak.2")), m_Bad);

    WriteFile(P("in/bad.mp3"), m_Bad);
    r = Repair("--replace --backup-dir " + ShellQuote(P("kept")) + " " + bad);
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(ReadFile(P("kept/bad.mp3")), m_Bad);

    std::filesystem::create_symlink(P("in/bad.mp3"), P("link.mp3"));
    r = Repair("--replace " + ShellQuote(P("link.mp3")));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "Error\t" + P("link.mp3") + "\ta symbolic link: repair the file it points to\n");

    EXPECT_EQ(Repair(bad).exitCode, 2);
    EXPECT_EQ(Repair("--replace --output-dir x " + bad).exitCode, 2);
    EXPECT_EQ(Repair("--output-dir x --backup-dir y " + bad).exitCode, 2);
}

}  // namespace
}  // namespace sonvara::test
