#include "support/mpgframes.h"

#include <mpg123.h>

namespace sonvara::test {

DecodedFile DecodeFrames(const std::string& path) {
    DecodedFile out;
    int err = 0;
    mpg123_handle* mh = mpg123_new(nullptr, &err);
    if (mh == nullptr) {
        ++out.errors;
        return out;
    }
    mpg123_param(mh, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_format_none(mh);
    for (const long rate :
         {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L}) {
        mpg123_format(mh, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    }
    if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
        ++out.errors;
        mpg123_delete(mh);
        return out;
    }
    for (;;) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        const int r = mpg123_decode_frame(mh, &num, &audio, &bytes);
        if (r == MPG123_DONE) {
            break;
        }
        if (r == MPG123_NEW_FORMAT) {
            long rate = 0;
            int encoding = 0;
            mpg123_getformat(mh, &rate, &out.channels, &encoding);
            continue;
        }
        if (r != MPG123_OK) {
            ++out.errors;
            if (out.errors > 1000) {
                break;
            }
            continue;
        }
        DecodedFrame f;
        f.offset = mpg123_framepos(mh);
        const auto* s = reinterpret_cast<const std::int16_t*>(audio);
        f.pcm.assign(s, s + bytes / 2);
        out.samples +=
            out.channels > 0 ? static_cast<std::int64_t>(f.pcm.size()) / out.channels : 0;
        out.frames.push_back(std::move(f));
    }
    mpg123_close(mh);
    mpg123_delete(mh);
    return out;
}

}  // namespace sonvara::test
