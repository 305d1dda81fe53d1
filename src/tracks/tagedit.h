#pragma once

#include <string>

namespace sonvara {

struct TrackRecord;

// Writes title, artist and album into the record's file and then gives the record what the
// file now holds (what its tag format could not keep is cut or replaced there; the record's
// texts are cut at 127 bytes on a character boundary). False with the reason, the record
// unchanged, when the file is read-only, cannot be opened or cannot be written.
bool EditTrackTags(TrackRecord& record, const std::string& title, const std::string& artist,
                   const std::string& album, std::string* error);

}  // namespace sonvara
