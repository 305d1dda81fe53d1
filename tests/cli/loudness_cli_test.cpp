// sonvara-cli loudness as a user runs it, side by side with ffmpeg's ebur128 filter and
// loudgain (Debian packages) on files synthesised by sox.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "support/encoders.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"

namespace sonvara::test {
namespace {

const std::string kCli = SONVARA_CLI_PATH;

CommandResult Loudness(const std::string& args) {
    return RunCommand(kCli + " loudness " + args);
}

// The last value of `key=` in the text, NaN when there is none.
double LastValue(const std::string& text, const std::string& key) {
    const std::regex pattern(key + R"(\s*(-?[0-9]+\.[0-9]+))");
    double value = std::nan("");
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        value = std::stod((*it)[1]);
    }
    return value;
}

double FfmpegIntegrated(const std::string& file) {
    const CommandResult r = RunCommand(
        "ffmpeg -nostats -hide_banner -loglevel error -i " + ShellQuote(file) +
        " -af ebur128=metadata=1,ametadata=mode=print:key=lavfi.r128.I:file=- -f null -");
    return LastValue(r.out, "lavfi.r128.I=");
}

double LoudgainIntegrated(const std::string& file) {
    const CommandResult r = RunCommand("loudgain -q " + ShellQuote(file) + " 2>&1");
    return LastValue(r.out, "Loudness:");
}

// Every signal kind reads within 0.1 LU of both reference meters: stereo and mono, three
// rates, a steady tone, pink noise, a modulated mix, a track that is mostly silence, an MP3.
TEST(LoudnessCli, AgreesWithFfmpegAndLoudgain) {
    ASSERT_TRUE(HaveTool("sox") && HaveTool("ffmpeg") && HaveTool("loudgain") && HaveTool("lame"))
        << "sox, ffmpeg, loudgain and lame are installed by the set-up script";
    CTempDir dir;
    const std::vector<std::pair<std::string, std::string>> signals = {
        {"sine-44k.wav", "-b 16 -r 44100 -c 2|20 sine 1000 vol -23dB"},
        {"mono-22k.wav", "-b 16 -r 22050 -c 1|10 sine 440 vol 0.2"},
        {"pink-48k.wav", "-b 16 -r 48000 -c 2|10 pinknoise vol 0.3"},
        {"mix-44k.wav", "-b 16 -r 44100 -c 2|12 pinknoise sine 300 tremolo 2 80 vol 0.5"},
        {"quiet-48k.wav", "-b 16 -r 48000 -c 2|3 sine 1000 vol 0.3 pad 5 20"},
    };
    std::vector<std::string> files;
    for (const auto& [name, recipe] : signals) {
        const std::size_t bar = recipe.find('|');
        files.push_back(SynthWav(dir.File(name), recipe.substr(0, bar), recipe.substr(bar + 1)));
    }
    files.push_back(LameEncode(dir.File("mix-44k.wav"), dir.File("mix.mp3"), "--quiet -b 192"));

    const CommandResult r = Loudness("--json -j 2 " + ShellQuote(dir.Path()));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::size_t at = r.out.find("{\"path\": \"" + file + "\"");
        ASSERT_NE(at, std::string::npos) << r.out;
        const std::string line = r.out.substr(at, r.out.find('\n', at) - at);
        const double ours = LastValue(line, "\"integrated_lufs\":");
        EXPECT_NEAR(ours, FfmpegIntegrated(file), 0.1) << line;
        EXPECT_NEAR(ours, LoudgainIntegrated(file), 0.1) << line;
    }
    // The first signal is EBU Tech 3341's first case.
    const std::size_t sine = r.out.find(files[0]);
    ASSERT_NE(sine, std::string::npos);
    EXPECT_NEAR(
        LastValue(r.out.substr(sine, r.out.find('\n', sine) - sine), "\"integrated_lufs\":"), -23.0,
        0.1);
}

// The result lines: values for each measured file, the reason for the others, in path order,
// album lines of their own, and exit status 1 when any file was not measured.
TEST(LoudnessCli, ResultLinesAndReasons) {
    CTempDir dir;
    std::filesystem::create_directories(dir.File("sub"));
    WriteFile(dir.File("a-silence.wav"), MakePcmWav(std::vector<std::int16_t>(44100 * 2 * 3, 0)));
    WriteFile(dir.File("b-short.WAV"), MakePcmWav(Sine(44100 / 4, 2, 1000, 44100)));
    WriteFile(dir.File("c-damaged.mp3"), Bytes(4000, 0x42));
    WriteFile(dir.File("d-tone.wav"), MakePcmWav(Sine(44100 * 5, 2, 1000, 44100, 2323.0)));
    WriteFile(dir.File("notes.txt"), {'h', 'i'});
    WriteFile(dir.File("sub/e-tone.wav"), MakePcmWav(Sine(44100 * 5, 2, 1000, 44100)));

    const CommandResult flat = Loudness(ShellQuote(dir.Path()));
    EXPECT_EQ(flat.exitCode, 1);
    const std::regex lines("Error\t" + dir.File("a-silence.wav") + "\tsilent\n" +  //
                           "Error\t" + dir.File("b-short.WAV") + "\ttoo short[^\n]*\n" + "Error\t" +
                           dir.File("c-damaged.mp3") + "\t[^\n]+\n" +  // the decoder's reason
                           "OK\t" + dir.File("d-tone.wav") +
                           "\t-2[23]\\.[0-9]{2} LUFS\t-2[23]\\.[0-9]{2} dBTP\t0.0 LU\n");
    EXPECT_TRUE(std::regex_match(flat.out, lines)) << flat.out;

    const CommandResult deep = Loudness("-r -j 3 " + ShellQuote(dir.File("sub")) + " " +
                                        ShellQuote(dir.File("d-tone.wav")));
    EXPECT_EQ(deep.exitCode, 0) << deep.err;
    EXPECT_EQ(std::count(deep.out.begin(), deep.out.end(), '\n'), 2) << deep.out;

    EXPECT_EQ(Loudness("--bogus x").exitCode, 2);
    EXPECT_EQ(Loudness("").exitCode, 2);
}

// A name that is not UTF-8 survives the JSON output: Python's surrogateescape gives back the
// same bytes.
TEST(LoudnessCli, JsonKeepsEveryPathByte) {
    CTempDir dir;
    const std::string name = dir.File(std::string("b\xff\x01q.wav"));
    WriteFile(name, MakePcmWav(Sine(44100 * 2, 2, 1000, 44100)));
    const CommandResult r = Loudness("--json --album " + ShellQuote(name));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const CommandResult py = RunCommand(
        "printf '%s' " + ShellQuote(r.out) + " | /usr/bin/python3 -c " +
        ShellQuote("import json, os, sys\n"
                   "o = json.loads(sys.stdin.read())\n"
                   "sys.stdout.buffer.write(os.fsencode(o['path']))\n"
                   "assert o['album'] is None and o['album_gain_db'] is None\n"
                   "assert abs(o['track_gain_db'] + o['integrated_lufs'] + 18) < 0.011\n"));
    EXPECT_EQ(py.exitCode, 0) << py.err;
    EXPECT_EQ(py.out, name);
}

// mp3-to-wav --normalize-to: the output reads the target, or its result line says why not.
TEST(LoudnessCli, ConversionNormalisesToTheTargetOrSaysWhyNot) {
    CTempDir dir;
    std::vector<std::int16_t> spiky = Sine(44100 * 8, 2, 1000, 44100, 1000.0);
    for (std::size_t i = 0; i < spiky.size(); i += 44100) {
        spiky[i] = 32000;
    }
    WriteFile(dir.File("spiky.wav"), MakePcmWav(spiky));
    WriteFile(dir.File("soft.wav"), MakePcmWav(Sine(44100 * 8, 2, 1000, 44100, 1500.0)));
    const std::string soft = LameEncode(dir.File("soft.wav"), dir.File("soft.mp3"), "--quiet");
    const std::string sharp = LameEncode(dir.File("spiky.wav"), dir.File("sharp.mp3"), "--quiet");
    std::filesystem::create_directories(dir.File("out"));
    const CommandResult r =
        RunCommand("SONVARA_CONFIG=" + ShellQuote(dir.File("c.ini")) + " " + kCli +
                   " mp3-to-wav --yes --normalize-to -16 --track-dir " +
                   ShellQuote(dir.File("out")) + " " + ShellQuote(soft) + " " + ShellQuote(sharp));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find(soft + "\n        ===> File OK! (-16.0 LUFS)\n"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("LUFS: target -16 LUFS not reached, true peak held at -1 dBTP)"),
              std::string::npos)
        << r.out;
    const CommandResult out = Loudness(ShellQuote(dir.File("out/soft.wav")));
    EXPECT_NE(out.out.find("\t-16.0"), std::string::npos) << out.out;
    EXPECT_EQ(RunCommand(kCli + " mp3-to-wav --normalize-to -17 x.mp3").exitCode, 2);
}

// ReplayGain tags as players and mutagen read them: one TXXX frame per name (an old one in
// another letter case replaced), the album pair for an album, every other frame and the audio
// kept, a read-only file named and left as it was.
TEST(LoudnessCli, WritesReplayGainTagsInPlaceOfOldOnes) {
    ASSERT_TRUE(HaveTool("lame") && HaveTool("sox"));
    CTempDir dir;
    const std::string wav =
        SynthWav(dir.File("a.wav"), "-b 16 -r 44100 -c 2", "6 pinknoise vol 0.4");
    const std::string script =
        "import sys\n"
        "from mutagen.id3 import ID3, TIT2, TALB, COMM, TXXX, APIC\n"
        "for i, path in enumerate(sys.argv[1:]):\n"
        "    t = ID3()\n"
        "    t.add(TIT2(encoding=1, text='Song %d' % i))\n"
        "    t.add(TALB(encoding=1, text='Same Album'))\n"
        "    t.add(COMM(encoding=1, lang='eng', desc='', text='keep me'))\n"
        "    t.add(APIC(encoding=0, mime='image/png', type=3, desc='', data=b'\\x89PNG' + "
        "bytes(200)))\n"
        "    t.add(TXXX(encoding=1, desc='replaygain_track_gain', text='+9.99 dB'))\n"
        "    t.save(path, v2_version=3)\n";
    std::vector<std::string> mp3s;
    for (const char* name : {"one.mp3", "two.mp3", "locked.mp3"}) {
        mp3s.push_back(LameEncode(wav, dir.File(name), "--quiet -b 128"));
    }
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c " + ShellQuote(script) + " " + ShellQuote(mp3s[0]) +
                         " " + ShellQuote(mp3s[1]) + " " + ShellQuote(mp3s[2]))
                  .exitCode,
              0);
    // What must stay: every frame but the ReplayGain ones, and the audio after the tag.
    const std::string kept =
        "import sys\n"
        "import hashlib\n"
        "from mutagen.id3 import ID3\n"
        "b = open(sys.argv[1], 'rb').read()\n"
        "n = 10 + (b[6] << 21 | b[7] << 14 | b[8] << 7 | b[9])\n"
        "t = ID3(sys.argv[1])\n"
        "frames = sorted(repr(f) for k, f in t.items() if 'REPLAYGAIN' not in k.upper())\n"
        "print(hashlib.md5(b[n:].lstrip(b'\\0')).hexdigest(), frames, t.version)\n";
    auto Kept = [&](const std::string& path) {
        return RunCommand("/usr/bin/python3 -c " + ShellQuote(kept) + " " + ShellQuote(path)).out;
    };
    const std::string before = Kept(mp3s[0]);
    const Bytes lockedBefore = ReadFile(mp3s[2]);
    ASSERT_EQ(chmod(mp3s[2].c_str(), 0444), 0);
    const bool locked = ::geteuid() != 0;  // root writes a read-only file

    for (int round = 0; round < 2; ++round) {  // the second round replaces the first's frames
        const CommandResult r = Loudness("--album --write-tags --json " + ShellQuote(dir.Path()));
        EXPECT_EQ(r.exitCode, locked ? 1 : 0) << r.err;
        EXPECT_EQ(r.out.find("\"tags_error\"") != std::string::npos, locked) << r.out;
        const std::string gain =
            std::to_string(LastValue(r.out.substr(r.out.find(mp3s[0])), "\"track_gain_db\":"));
        const CommandResult tags =
            RunCommand("/usr/bin/python3 -c " +
                       ShellQuote("import sys\n"
                                  "from mutagen.id3 import ID3\n"
                                  "t = ID3(sys.argv[1])\n"
                                  "rg = sorted((f.desc, f.text[0]) for f in t.getall('TXXX'))\n"
                                  "print(rg)\n") +
                       " " + ShellQuote(mp3s[0]));
        const std::regex frames(R"(\[\('REPLAYGAIN_ALBUM_GAIN', '-?[0-9]+\.[0-9]{2} dB'\), )"
                                R"(\('REPLAYGAIN_ALBUM_PEAK', '[01]\.[0-9]{6}'\), )"
                                R"(\('REPLAYGAIN_TRACK_GAIN', ')" +
                                gain.substr(0, gain.find('.') + 3) +
                                R"( dB'\), )"
                                R"(\('REPLAYGAIN_TRACK_PEAK', '[01]\.[0-9]{6}'\)\]\n)");
        EXPECT_TRUE(std::regex_match(tags.out, frames)) << tags.out << tags.err << gain;
        EXPECT_EQ(Kept(mp3s[0]), before);
    }
    if (!locked) {
        return;
    }
    EXPECT_EQ(ReadFile(mp3s[2]), lockedBefore);
    const CommandResult lines = Loudness("--write-tags " + ShellQuote(mp3s[2]));
    EXPECT_NE(lines.out.find("Error\t" + mp3s[2] + "\ttags not written: "), std::string::npos)
        << lines.out;
}

}  // namespace
}  // namespace sonvara::test
