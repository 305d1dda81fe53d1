#include "tracks/tracklist.h"

#include <filesystem>
#include <stdexcept>
#include <unordered_map>

#include "audio/audiotrack.h"
#include "platform/atomicfile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace sonvara {

TrackInfo ReadTrackInfo(const std::string& path) {
    TrackInfo info;
    CAudioTrack track(path);  // throws for an extension of neither kind
    CAudioFile* file = track.GetFile();
    info.lengthMs = file->GetLength();
    info.title = file->GetTitle();
    info.artist = file->GetArtist();
    info.album = file->GetAlbum();
    if (info.lengthMs <= 0) {
        info.error = UpperExtension(path) == ".MP3" ? "no MPEG audio frames" : "not a readable WAV file";
    }
    return info;
}

bool CTrackList::IsMp3Path(const std::string& path) { return UpperExtension(path) == ".MP3"; }

std::vector<AddResult> CTrackList::AddTracks(const std::vector<std::string>& paths,
                                             const AddOptions& options) {
    std::vector<AddResult> results;
    results.reserve(paths.size());
    const TrackReader& reader = options.reader ? options.reader : TrackReader(ReadTrackInfo);
    const std::size_t n = paths.size();
    bool cancelled = false;
    for (std::size_t i = 0; i < n; ++i) {
        const std::string& path = paths[i];
        if (cancelled) {
            results.push_back({path, AddOutcome::kCancelled, "cancelled"});
            continue;
        }
        if (ContainsPath(path)) {
            results.push_back({path, AddOutcome::kAlreadyListed, "already listed"});
            continue;
        }
        if (options.currentFile) {
            options.currentFile(path);
        }
        if (options.cancel != nullptr && options.cancel->load()) {
            cancelled = true;
            results.push_back({path, AddOutcome::kCancelled, "cancelled"});
            continue;
        }
        if (i % 10 == 0 && options.progress) {
            options.progress(static_cast<int>(i * 100 / n));
        }
        // Any error on one path skips only that path.
        try {
            const TrackInfo info = reader(path);
            if (info.lengthMs <= 0) {
                results.push_back({path, AddOutcome::kUnreadable,
                                   info.error.empty() ? "no audio" : info.error});
                continue;
            }
            auto record = std::make_unique<TrackRecord>();
            if (options.readTags) {
                record->SetTitle(info.title);
                record->SetArtist(info.artist);
                record->SetAlbum(info.album);
            }
            record->path = path;
            record->SetLength(info.lengthMs);
            m_Paths.insert(path);
            m_Tracks.push_back(std::move(record));
            results.push_back({path, AddOutcome::kAdded, {}});
        } catch (const std::exception& e) {
            results.push_back({path, AddOutcome::kUnreadable, e.what()});
        }
    }
    RecountTypes();
    return results;
}

bool CTrackList::Append(std::unique_ptr<TrackRecord> record) {
    if (!record || ContainsPath(record->path)) {
        return false;
    }
    m_Paths.insert(record->path);
    m_Tracks.push_back(std::move(record));
    RecountTypes();
    return true;
}

void CTrackList::RemoveTracksAt(const std::vector<std::size_t>& ascending) {
    std::vector<bool> drop(m_Tracks.size(), false);
    for (std::size_t index : ascending) {
        if (index < drop.size()) {
            drop[index] = true;
        }
    }
    std::vector<std::unique_ptr<TrackRecord>> kept;
    kept.reserve(m_Tracks.size());
    for (std::size_t i = 0; i < m_Tracks.size(); ++i) {
        if (drop[i]) {
            m_Paths.erase(m_Tracks[i]->path);
        } else {
            kept.push_back(std::move(m_Tracks[i]));
        }
    }
    m_Tracks = std::move(kept);
    RecountTypes();
}

void CTrackList::ReorderByPaths(const std::vector<std::string>& paths) {
    std::unordered_map<std::string, std::size_t> where;
    where.reserve(m_Tracks.size());
    for (std::size_t i = 0; i < m_Tracks.size(); ++i) {
        where.emplace(m_Tracks[i]->path, i);
    }
    std::vector<std::unique_ptr<TrackRecord>> ordered;
    ordered.reserve(paths.size());
    for (const std::string& path : paths) {
        const auto it = where.find(path);
        if (it != where.end() && m_Tracks[it->second]) {
            ordered.push_back(std::move(m_Tracks[it->second]));
        }
    }
    m_Paths.clear();
    for (const auto& record : ordered) {
        m_Paths.insert(record->path);
    }
    m_Tracks = std::move(ordered);
}

void CTrackList::RecountTypes() {
    m_Mp3Count = 0;
    m_WavCount = 0;
    for (const auto& record : m_Tracks) {
        if (IsMp3Path(record->path)) {
            ++m_Mp3Count;
        } else {
            ++m_WavCount;
        }
    }
}

std::vector<TrackRecord*> CTrackList::Records() {
    std::vector<TrackRecord*> out;
    out.reserve(m_Tracks.size());
    for (const auto& record : m_Tracks) {
        out.push_back(record.get());
    }
    return out;
}

std::string CTrackList::ReportText() const {
    // A tag or path holding line breaks (or other control characters) stays inside its own
    // line, so that every track is exactly seven lines.
    auto value = [](const std::string& text) { return EscapeControls(text, false); };
    std::string out = "Analysis Results:\n\n";
    for (const auto& r : m_Tracks) {
        out += "File: " + value(r->path) + "\n";
        out += std::string("Check: ") + CheckStateText(r->checkState) + "\n";
        out += std::string("Convert: ") + ConvertStateText(r->convertState) + "\n";
        out += "Title: " + value(r->title) + "\n";
        out += "Artist: " + value(r->artist) + "\n";
        out += "Album: " + value(r->album) + "\n";
        out += "Length: " + value(r->lengthText) + "\n\n";
    }
    return out;
}

bool CTrackList::WriteReport(const std::string& file, std::string* error) const {
    if (error != nullptr) {
        error->clear();
    }
    if (UpperExtension(file) != ".TXT") {
        return false;
    }
    std::string text = ReportText();
#ifdef _WIN32
    // The platform's line ends, as a text-mode file has them.
    std::string crlf;
    crlf.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    text.swap(crlf);
#endif
    // The report appears complete or not at all; an earlier file of that name is replaced
    // only by a complete one, and a link of that name is replaced, never written through.
    FileOpError failure;
    if (!WriteFileAtomically(file, text.data(), text.size(), failure)) {
        if (error != nullptr) {
            *error = file + ": cannot write the report: " + failure.text;
        }
        return false;
    }
    return true;
}

std::size_t CTrackList::MoveCorruptFiles(const std::string& folder, IMoveHost& host) {
    std::vector<std::size_t> moved;
    std::string dir = folder;
    if (!dir.empty() && !IsPathSeparator(dir.back())) {
        dir += PreferredSeparator();
    }
    for (std::size_t p = 0; p < m_Tracks.size(); ++p) {
        const TrackRecord& record = *m_Tracks[p];
        if (record.checkState != AnalysedCorrupt) {
            continue;
        }
        const std::string target = dir + std::string(FileNamePart(record.path));
        if (target == record.path) {
            continue;  // already there
        }
        std::error_code ec;
        bool replace = false;
        if (std::filesystem::exists(std::filesystem::symlink_status(target, ec))) {
            const IMoveHost::Answer answer = host.AskOverwrite(
                "The file \n" + target + "\nalready exists, should it overwrite ?");
            if (answer != IMoveHost::Answer::kYes) {
                continue;
            }
            replace = true;
        }
        FileOpError failure;
        if (MoveFile(record.path, target, replace, failure)) {
            moved.push_back(p);
        } else {
            host.ShowError(failure.text);
        }
    }
    RemoveTracksAt(moved);
    return moved.size();
}

}  // namespace sonvara
