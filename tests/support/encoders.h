#pragma once

#include <string>

namespace sonvara::test {

// Synthesises a WAV with sox: `synth` arguments after the sox output file, e.g.
// "-r 44100 -c 2" as format and "3 sine 440" as effect. Fails the test (via exception) when
// sox fails.
std::string SynthWav(const std::string& path, const std::string& format, const std::string& synth);

// Encodes a WAV with Debian's lame and the given options; returns the MP3 path.
std::string LameEncode(const std::string& wav, const std::string& mp3, const std::string& options);

}  // namespace sonvara::test
