// Drives the MPEG kind the way the conversion jobs do, for timing against mpg123 and lame:
//   sonvara-mp3bench decode FILE...     decode each file through Read in 32768-byte requests
//   sonvara-mp3bench open FILE...       open each file (tags, decoder, exact length) and close it
//   sonvara-mp3bench encode WAV OUT     encode WAV's PCM through EncodeSamples at 128 kbit/s, q 5
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/fileexception.h"

using namespace sonvara;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s decode|open FILE... | encode WAV OUT\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    std::vector<unsigned char> buffer(32768);
    unsigned long long total = 0;
    if (mode == "encode") {
        CAudioWaveFile in;
        in.SetFileName(argv[2]);
        if (!in.IsValid()) {
            return 1;
        }
        in.OpenStream();
        try {
            CAudioMpegFile out;
            EncoderSettings s;
            out.CreateOutput(argv[3], s, 0);
            int n;
            while ((n = in.Read(1, buffer.size(), buffer.data(), buffer.size())) > 0) {
                out.EncodeSamples(buffer.data(), static_cast<std::size_t>(n));
                total += static_cast<unsigned>(n);
            }
            out.Finish();
        } catch (const CFileException& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
    } else {
        long long lengths = 0;
        for (int i = 2; i < argc; ++i) {
            CAudioMpegFile f;
            f.SetFileName(argv[i]);
            if (!f.IsValid()) {
                std::fprintf(stderr, "not MPEG audio: %s\n", argv[i]);
                continue;
            }
            lengths += f.GetLength();
            if (mode == "decode") {
                int n;
                while ((n = f.Read(1, buffer.size(), buffer.data(), buffer.size())) > 0) {
                    total += static_cast<unsigned>(n);
                }
            }
            f.CloseStream();
        }
        std::printf("%lld ms of audio\n", lengths);
    }
    std::printf("%llu bytes\n", total);
    return 0;
}
