#include "runs/runhelpers.h"

#include <cmath>

#include "tracks/trackrecord.h"

namespace sonvara {

void ApplyTrackUpdate(const std::vector<TrackRecord*>& tracks, const TrackUpdate& update) {
    if (update.index < tracks.size() && tracks[update.index] != nullptr) {
        tracks[update.index]->checkState = update.checkState;
        tracks[update.index]->convertState = update.convertState;
        if (!std::isnan(update.loudness)) {
            tracks[update.index]->loudness = update.loudness;
        }
    }
}

}  // namespace sonvara
