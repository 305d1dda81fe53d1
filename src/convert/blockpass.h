#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace sonvara {

class IDiscTrack;
class IProgressSink;

// One normalising pass over a track: 65536-byte blocks of 16-bit PCM, each handed to `block`
// (with its byte count), progress in steps of 2800 per block over the length in 1/75 s (which
// reaches 100 at the end of a 44100 Hz stereo track). Returns true when a stop request came
// before a block; a stop request after a block raises CUserException.
bool RunBlockPass(IDiscTrack& track, IProgressSink* sink, std::int32_t length75,
                  std::vector<std::int16_t>& buffer,
                  const std::function<void(std::size_t bytes)>& block);

}  // namespace sonvara
