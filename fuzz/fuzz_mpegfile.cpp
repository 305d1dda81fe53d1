// The MPEG decoder layer and CAudioMpegFile's Read on arbitrary bytes.
#include <cstdint>
#include <vector>

#include "audio/audiompegfile.h"
#include "fuzzfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteFuzzFile(".mp3", data, size);
    sonvara::CAudioMpegFile f;
    f.SetFileName(path);
    if (!f.IsValid()) {
        return 0;
    }
    f.GetLength();
    f.GetSampleRate();
    // Decoding is the cost of each input: what a few dozen frames give covers the decoder's
    // paths as well as megabytes would, and the campaign tries many more inputs.
    std::vector<std::uint8_t> buffer(20000);
    std::size_t total = 0;
    for (int i = 0; i < 40 && total < (128u << 10); ++i) {
        const int n = f.Read(1, 1 + (i * 4099) % buffer.size(), buffer.data(), buffer.size());
        if (n <= 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
        if (i == 2) {
            f.Seek(500);
            f.GetPosition();
        }
    }
    f.CloseStream();
    return 0;
}
