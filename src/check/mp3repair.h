#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jobs/strings.h"

namespace sonvara {

// One frame the repair kept: where it stood in the original and where it stands in the copy.
struct KeptFrame {
    std::int64_t from = 0;
    std::int64_t to = 0;
    std::int32_t length = 0;
};

struct RepairPlan {
    enum Status {
        kUnchanged,  // nothing to repair: the copy would equal the original
        kRepaired,   // output holds the repaired file
        kRefused,    // no repairable MPEG stream; reason says why
    } status = kRefused;
    std::string reason;                 // kRefused
    std::string done;                   // kRepaired: what was done, in words
    std::vector<unsigned char> output;  // kRepaired
    std::vector<KeptFrame> frames;      // the audio frames kept, in order
    std::int64_t droppedBytes = 0;      // junk, partial frames, unknown trailing data
    std::int64_t droppedFrames = 0;     // whole frames of another format, extra VBR header frames
    bool headerWritten = false;         // a Xing/Info header was written or corrected
};

// Plans the repair of an MP3 file held in memory. Kept: an intact ID3v2 tag at the start, the
// ID3v1, APE and Lyrics3 tags at the end, and every intact frame of the stream's format, byte
// for byte; dropped: junk, partial frames, frames of another format (the format with the most
// frames is the stream's), unknown data after the last frame and VBR header frames. A
// variable-bit-rate stream gets a Xing header with the right frame count, byte count and seek
// table (a LAME tag of the old header is carried over with its checksums made right); an
// existing header with the right counts is kept as it is. Nothing is re-encoded.
// The reasons and the summary come from `strings`.
RepairPlan PlanMp3Repair(const std::vector<unsigned char>& file,
                         const CStrings& strings = EnglishStrings());

}  // namespace sonvara
