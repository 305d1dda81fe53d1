// Tag reading (ID3 version 2 and 1, APE) on arbitrary bytes.
#include <cstdint>

#include "audio/mpegtags.h"
#include "fuzzfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteFuzzFile(".mp3", data, size);
    sonvara::ReadMpegTags(path);
    return 0;
}
