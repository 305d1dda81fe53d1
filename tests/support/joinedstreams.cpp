#include "support/joinedstreams.h"

#include <cstring>

#include "support/encoders.h"

namespace sonvara::test {

Samples ToSamples(const std::string& bytes) {
    Samples s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

void CJoinedStreamTest::SetUpTestSuite() {
    ASSERT_TRUE(HaveTool("lame") && HaveTool("mpg123") && HaveTool("sox"))
        << "lame, mpg123 and sox are installed by the set-up script";
}

Bytes CJoinedStreamTest::Part(const std::string& name, int rate, int channels,
                              const std::string& synth, const std::string& lame) {
    const std::string wav = m_Dir.File(name + ".wav");
    SynthWav(wav, "-r " + std::to_string(rate) + " -c " + std::to_string(channels), synth);
    return ReadFile(LameEncode(wav, m_Dir.File(name + ".mp3"), lame));
}

std::string CJoinedStreamTest::Join(const std::string& name, const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        Append(all, p);
    }
    WriteFile(m_Dir.File(name), all);
    return m_Dir.File(name);
}

Samples CJoinedStreamTest::Mpg123(const std::string& path, const std::string& options) {
    const CommandResult r = RunCommand("mpg123 -q -s " + options + " " + ShellQuote(path));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return ToSamples(r.out);
}

}  // namespace sonvara::test
