#pragma once

#include "modalanswerer.h"
#include "support/runevents.h"

#include <functional>
#include <string>
#include <vector>

namespace sonvara::test {

// Waits (running events) until the condition holds; false only when a run hung.
inline bool WaitFor(const std::function<bool()>& condition, int boundMs = kHungMs) {
    return RunEventsUntil(condition, boundMs);
}

// A valid MP3 stream of hand-built frames (about `frames` × 26 ms), and a damaged copy.
std::vector<std::uint8_t> GoodMp3(int frames = 40);
std::vector<std::uint8_t> CorruptMp3(int frames = 40);

}  // namespace sonvara::test
