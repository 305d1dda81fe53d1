// Drives the WAVE kind the way the conversion jobs do, for timing against sox:
//   sonvara-wavebench read FILE        read all audio through Read in 32768-byte requests
//   sonvara-wavebench encode IN OUT    read IN (PCM) and write OUT as IMA ADPCM via WriteData
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/audiowavefile.h"
#include "audio/fileexception.h"

using namespace sonvara;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s read FILE | encode IN OUT\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    CAudioWaveFile in;
    in.SetFileName(argv[2]);
    if (!in.IsValid()) {
        std::fprintf(stderr, "not a WAV file: %s\n", argv[2]);
        return 1;
    }
    in.OpenStream();
    std::vector<unsigned char> buffer(32768);
    unsigned long long total = 0;
    unsigned checksum = 0;
    try {
        CAudioWaveFile out;
        const bool encode = mode == "encode" && argc >= 4;
        if (encode) {
            out.CreateOutput(argv[3], MakeImaAdpcmCdFormat());
        }
        for (;;) {
            const int n = in.Read(1, buffer.size(), buffer.data(), buffer.size());
            if (n <= 0) {
                break;
            }
            total += static_cast<unsigned>(n);
            checksum += buffer[static_cast<std::size_t>(n) - 1];
            if (encode) {
                out.WriteData(buffer.data(), static_cast<std::size_t>(n));
            }
        }
        if (encode) {
            out.Finish();
        }
    } catch (const CFileException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    in.CloseStream();
    std::printf("%llu bytes (%u)\n", total, checksum);
    return 0;
}
