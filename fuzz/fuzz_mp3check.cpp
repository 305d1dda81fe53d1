// The frame walk on arbitrary bytes.
#include <cstdint>

#include "check/mp3check.h"
#include "fuzzfile.h"
#include "jobs/progresssink.h"

namespace {
class CQuietSink : public sonvara::IProgressSink {
public:
    bool IsAborted() override { return false; }
    void SetProgress(int) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteFuzzFile(".mp3", data, size);
    sonvara::CMP3Check check;
    check.SetOption(sonvara::CMP3Check::kOptionWholeFile, true);
    CQuietSink sink;
    const bool intact = check.CheckFile(path, &sink);
    const auto& st = check.GetStreamState();
    if (st.bytesRead < 0 || st.errors < 0 || (intact != (st.errors == 0))) {
        __builtin_trap();
    }
    if (size >= 4) {
        sonvara::MP3FrameHeader h;
        sonvara::CMP3Check::DecodeHeader(
            static_cast<std::uint32_t>(data[0]) << 24 | data[1] << 16 | data[2] << 8 | data[3], h);
    }
    return 0;
}
