#include "pcmmatch.h"

#include <memory>

#include "audio/audiotrack.h"

namespace sonvara::test {

Samples DecodeTrack(const std::string& path, std::int32_t seekMs) {
    CAudioTrack track(path);
    CAudioFile* file = track.GetFile();
    file->OpenStream();
    if (seekMs >= 0) {
        file->Seek(seekMs);
    }
    Samples out;
    std::vector<std::int16_t> buffer(4096);
    int n;
    while ((n = file->Read(8192, 1, buffer.data(), 8192)) > 0) {
        out.insert(out.end(), buffer.begin(), buffer.begin() + n / 2);
    }
    file->CloseStream();
    return out;
}

CaptureMatch MatchCapture(const Samples& capture, const std::vector<Samples>& segments) {
    CaptureMatch m;
    const std::size_t frames = capture.size() / 2;
    auto same = [&](std::size_t i, const Samples& s, std::size_t j) {
        return capture[2 * i] == s[2 * j] && capture[2 * i + 1] == s[2 * j + 1];
    };
    auto silent = [&](std::size_t i) { return capture[2 * i] == 0 && capture[2 * i + 1] == 0; };
    auto describe = [&](std::size_t i, std::size_t s, std::size_t j) {
        return "capture frame " + std::to_string(i) + " (" + std::to_string(capture[2 * i]) + ", " +
               std::to_string(capture[2 * i + 1]) + ") against frame " + std::to_string(j) +
               " of segment " + std::to_string(s) + " (" + std::to_string(segments[s][2 * j]) +
               ", " + std::to_string(segments[s][2 * j + 1]) + ")";
    };
    std::size_t i = 0;
    std::size_t s = 0;
    std::size_t j = 0;
    bool started = false;
    bool inGap = false;
    while (s < segments.size()) {
        const Samples& seg = segments[s];
        if (j == seg.size() / 2) {
            m.played.push_back(j);
            ++s;
            j = 0;
            continue;
        }
        if (i == frames) {
            m.message = "the capture ends at frame " + std::to_string(i) + ", " +
                        std::to_string(j) + " of " + std::to_string(seg.size() / 2) +
                        " frames into segment " + std::to_string(s);
            return m;
        }
        if (same(i, seg, j)) {
            if (!started && !silent(i)) {
                started = true;
                m.leadFrames = i;
            }
            ++i;
            ++j;
            inGap = false;
            continue;
        }
        if (silent(i)) {
            if (started) {
                ++m.gapFrames;
                if (!inGap) {
                    ++m.gapRuns;
                    inGap = true;
                }
            }
            ++i;
            continue;
        }
        if (seg[2 * j] == 0 && seg[2 * j + 1] == 0) {
            // Silence of the track itself inside a gap cannot be told from the gap.
            ++j;
            continue;
        }
        if (s + 1 < segments.size()) {
            m.played.push_back(j);
            ++s;
            j = 0;
            continue;
        }
        m.message = "differs: " + describe(i, s, j);
        return m;
    }
    for (; i < frames; ++i) {
        if (!silent(i)) {
            m.message = "sound after the end: capture frame " + std::to_string(i);
            return m;
        }
    }
    m.ok = true;
    return m;
}

}  // namespace sonvara::test
