#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::test {

// A literal, slow frame walk: one byte per pass through the C runtime's buffered stream and
// fseek over unprotected bodies. The checker must count exactly as it does.
struct ReferenceResult {
    std::int64_t bytesRead = 0;
    std::int64_t goodFrames = 0;
    std::int64_t errors = 0;
    std::int64_t expectedPosition = 4;
    std::vector<int> progress;  // every SetProgress value, one per pass that reports
};

ReferenceResult ReferenceWalk(const std::string& path);

}  // namespace sonvara::test
