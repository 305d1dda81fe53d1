// Tag reading (ID3 version 2 and 1, APE) on arbitrary bytes, and the ID3 version 2 frame splice
// of a save: whatever a tag holds, taking it apart, replacing a text frame and putting it
// together gives a tag that takes apart again with the same frames first.
#include <cstdint>
#include <cstdlib>

#include "audio/id3v2raw.h"
#include "audio/mpegtags.h"
#include "fuzzfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = WriteFuzzFile(".mp3", data, size);
    sonvara::ReadMpegTags(path);

    namespace id3 = sonvara::id3;
    const id3::Bytes bytes(data, data + size);
    if (std::optional<id3::RawTag> tag = id3::ParseTag(bytes)) {
        id3::ReplaceFrame(*tag, id3::TextFrame(tag->major, "TALB", "Album"));
        const id3::Bytes out = id3::RenderTag(*tag, bytes.size());
        const std::optional<id3::RawTag> again = id3::ParseTag(out);
        if (!again || again->frames.size() < tag->frames.size()) {
            std::abort();
        }
        for (std::size_t i = 0; i < tag->frames.size(); ++i) {
            if (again->frames[i].bytes != tag->frames[i].bytes) {
                std::abort();
            }
        }
    }
    return 0;
}
