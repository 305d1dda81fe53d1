#pragma once

#include <vector>

#include "jobs/runhost.h"

namespace sonvara {

struct TrackRecord;

// Gives the record named by the update its new states; a host calls it on the list's thread.
void ApplyTrackUpdate(const std::vector<TrackRecord*>& tracks, const TrackUpdate& update);

}  // namespace sonvara
