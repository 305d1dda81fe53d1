#include "tracks/tagedit.h"

#include <exception>

#include "audio/audiotrack.h"
#include "tracks/trackrecord.h"

namespace sonvara {

namespace {

bool Fail(std::string* error, const std::string& reason) {
    if (error != nullptr) {
        *error = reason;
    }
    return false;
}

}  // namespace

bool EditTrackTags(TrackRecord& record, const std::string& title, const std::string& artist,
                   const std::string& album, std::string* error) {
    try {
        CAudioTrack track(record.path);
        CAudioFile* file = track.GetFile();
        if (file == nullptr) {
            return Fail(error, record.path + ": cannot be opened");
        }
        if (file->IsReadOnly()) {
            return Fail(error, record.path + ": the file is read-only");
        }
        file->SetTitle(title);
        file->SetArtist(artist);
        file->SetAlbum(album);
        file->SaveTags();
        // What the file holds now, read back as the list reads it.
        CAudioTrack reread(record.path);
        CAudioFile* saved = reread.GetFile();
        record.SetTitle(saved != nullptr ? saved->GetTitle() : title);
        record.SetArtist(saved != nullptr ? saved->GetArtist() : artist);
        record.SetAlbum(saved != nullptr ? saved->GetAlbum() : album);
    } catch (const std::exception& e) {
        return Fail(error, e.what());
    }
    if (error != nullptr) {
        error->clear();
    }
    return true;
}

}  // namespace sonvara
