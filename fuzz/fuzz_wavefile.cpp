// The RIFF chunk layer and the WAVE kind's Open, OpenStream, Read and Seek on arbitrary bytes.
#include <cstdint>
#include <vector>

#include "audio/audiowavefile.h"
#include "fuzzfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteFuzzFile(".wav", data, size);
    sonvara::CAudioWaveFile f;
    f.SetFileName(path);
    if (!f.IsValid()) {
        return 0;
    }
    f.GetLength();
    f.OpenStream();
    // Converting is the cost of each input: a bounded amount of output covers the format
    // layer's paths, and the campaign tries many more inputs. The buffer is kept between
    // inputs, so that no input pays for fresh pages.
    static std::vector<std::uint8_t> buffer(32768);
    std::size_t total = 0;
    for (int i = 0; i < 40 && total < (64u << 10); ++i) {
        const int n = f.Read(1, 1 + (i * 7919) % buffer.size(), buffer.data(), buffer.size());
        if (n <= 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
        if (i == 3) {
            f.Seek(1000);
        }
    }
    f.CloseStream();
    return 0;
}
