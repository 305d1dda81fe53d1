#include "runs/runhelpers.h"

#include <cmath>

#include "tracks/tracklist.h"
#include "tracks/trackrecord.h"

namespace sonvara {

void ApplyTrackUpdate(const std::vector<TrackRecord*>& tracks, const TrackUpdate& update,
                      CTrackList* list) {
    if (update.index >= tracks.size() || tracks[update.index] == nullptr) {
        return;
    }
    TrackRecord& record = *tracks[update.index];
    if (list != nullptr) {
        list->SetStates(record, update.checkState, update.convertState);
    } else {
        record.checkState = update.checkState;
        record.convertState = update.convertState;
    }
    if (!std::isnan(update.loudness)) {
        record.loudness = update.loudness;
    }
}

}  // namespace sonvara
