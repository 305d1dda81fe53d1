#include "support/encoders.h"

#include <stdexcept>

#include "support/testfiles.h"

namespace sonvara::test {

std::string SynthWav(const std::string& path, const std::string& format, const std::string& synth) {
    const CommandResult r =
        RunCommand("sox -R -q -n " + format + " " + ShellQuote(path) + " synth " + synth);
    if (r.exitCode != 0) {
        throw std::runtime_error("sox failed: " + r.err);
    }
    return path;
}

std::string LameEncode(const std::string& wav, const std::string& mp3, const std::string& options) {
    const CommandResult r =
        RunCommand("lame --quiet " + options + " " + ShellQuote(wav) + " " + ShellQuote(mp3));
    if (r.exitCode != 0) {
        throw std::runtime_error("lame failed: " + r.err);
    }
    return mp3;
}

}  // namespace sonvara::test
