#include "tracks/tracklist.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

#include "audio/audiotrack.h"
#include "audio/mpegdecoder.h"
#include "audio/mpegtags.h"
#include "audio/trackkind.h"
#include "jobs/strings.h"
#include "platform/atomicfile.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/runinorder.h"
#include "platform/stopscope.h"
#include "platform/text.h"

namespace sonvara {

TrackInfo ReadTrackInfo(const std::string& path, const CStrings& strings) {
    TrackInfo info;
    const TrackKind kind = TrackKindOf(path);
    if (kind == TrackKind::kMpeg) {
        // A file as its encoder wrote it states its length in its first frame; other files
        // have their frames counted, the decoder is not needed for that.
        std::optional<double> length = StatedMpegDuration(path);
        if (!length) {
            length = CountedMpegDuration(path);
        }
        if (length) {
            info.lengthMs = static_cast<std::int32_t>(*length);
            const MpegTagTexts tags = ReadMpegTags(path);
            info.title = tags.title;
            info.artist = tags.artist;
            info.album = tags.album;
            return info;
        }
    }
    CAudioTrack track(path);  // throws for an extension of neither kind
    CAudioFile* file = track.GetFile();
    info.lengthMs = file->GetLength();
    info.title = file->GetTitle();
    info.artist = file->GetArtist();
    info.album = file->GetAlbum();
    if (info.lengthMs <= 0) {
        info.error = file->UnreadableReason();  // the real reason, where the file knows it
        if (info.error.empty()) {
            info.error = strings.Text(kind == TrackKind::kMpeg ? StringId::kReasonNoFrames
                                                               : StringId::kReasonNotReadableWav);
        }
    }
    return info;
}

bool CTrackList::IsMp3Path(const std::string& path) {
    return TrackKindOf(path) == TrackKind::kMpeg;
}

bool IsReportFileName(const std::string& file) {
    return UpperExtension(file) == ".TXT";  // the save dialog proposes and filters ".txt" too
}

std::vector<ReadTrack> ReadTrackFiles(const std::vector<std::string>& paths,
                                      const AddOptions& options) {
    const CStrings& strings = options.strings != nullptr ? *options.strings : EnglishStrings();
    const TrackReader reader =
        options.reader ? options.reader : TrackReader([&strings](const std::string& path) {
            return ReadTrackInfo(path, strings);
        });
    std::vector<ReadTrack> read(paths.size());
    const std::size_t n = paths.size();
    const auto stopRequested = [&] { return options.cancel != nullptr && options.cancel->load(); };
    const auto readOne = [&](std::size_t i) {
        ReadTrack entry;
        entry.path = paths[i];
        // A stop reaches into the reading of one huge file too; that file is then not read.
        CStopScope stop(stopRequested);
        try {
            entry.info = reader(entry.path);
            if (entry.info.lengthMs <= 0 && entry.info.error.empty()) {
                entry.info.error = strings.Text(StringId::kReasonNoAudio);
            }
        } catch (const std::exception& e) {
            entry.info = TrackInfo{};
            entry.info.error = e.what();
        }
        entry.cancelled = stop.Stopped();
        return entry;
    };
    const auto showFile = [&](std::size_t i) {
        if (options.currentFile) {
            options.currentFile(paths[i]);
        }
    };
    const auto showProgress = [&](std::size_t i) {
        if (i % 10 == 0 && options.progress) {
            options.progress(static_cast<int>(i * 100 / n));
        }
    };
    std::size_t done = 0;
    if (options.threads <= 1) {
        for (; done < n; ++done) {
            showFile(done);
            if (stopRequested()) {
                break;
            }
            showProgress(done);
            read[done] = readOne(done);
        }
    } else {
        // Several files at once; each result is handed over in path order, and a stop request
        // lets the files in work finish.
        done = RunTracksInOrder<ReadTrack>(
            n, options.threads, readOne,
            [&](std::size_t i, ReadTrack& entry) {
                showFile(i);
                showProgress(i);
                read[i] = std::move(entry);
            },
            {}, stopRequested);
    }
    for (std::size_t i = done; i < n; ++i) {
        read[i].path = paths[i];
        read[i].cancelled = true;
    }
    return read;
}

std::vector<std::string> CTrackList::NewPaths(const std::vector<std::string>& paths) const {
    std::vector<std::string> fresh;
    std::unordered_set<std::string> seen;
    for (const std::string& path : paths) {
        if (!ContainsPath(path) && seen.insert(path).second) {
            fresh.push_back(path);
        }
    }
    return fresh;
}

std::vector<AddResult> CTrackList::AppendRead(std::vector<ReadTrack>&& read, bool readTags) {
    std::vector<AddResult> results;
    results.reserve(read.size());
    for (ReadTrack& entry : read) {
        if (entry.cancelled) {
            results.push_back(
                {entry.path, AddOutcome::kCancelled, m_Strings->Text(StringId::kReasonCancelled)});
        } else if (ContainsPath(entry.path)) {
            results.push_back({entry.path, AddOutcome::kAlreadyListed,
                               m_Strings->Text(StringId::kReasonAlreadyListed)});
        } else if (entry.info.lengthMs <= 0) {
            results.push_back({entry.path, AddOutcome::kUnreadable, entry.info.error});
        } else {
            auto record = std::make_unique<TrackRecord>();
            if (readTags) {
                record->SetTitle(entry.info.title);
                record->SetArtist(entry.info.artist);
                record->SetAlbum(entry.info.album);
            }
            record->path = std::move(entry.path);
            record->SetLength(entry.info.lengthMs);
            m_Paths.insert(record->path);
            results.push_back({record->path, AddOutcome::kAdded, {}});
            m_Tracks.push_back(std::move(record));
        }
    }
    RecountTypes();
    return results;
}

std::vector<AddResult> CTrackList::AddTracks(const std::vector<std::string>& paths,
                                             const AddOptions& options) {
    AddOptions withTexts = options;  // the list's texts unless others were given
    if (withTexts.strings == nullptr) {
        withTexts.strings = m_Strings;
    }
    std::vector<ReadTrack> read = ReadTrackFiles(NewPaths(paths), withTexts);
    std::unordered_map<std::string, AddResult> added;
    for (AddResult& r : AppendRead(std::move(read), options.readTags)) {
        added.emplace(r.path, std::move(r));
    }
    // One result per path given: the first mention gets what happened, a repeat is listed.
    std::vector<AddResult> results;
    results.reserve(paths.size());
    for (const std::string& path : paths) {
        const auto it = added.find(path);
        if (it == added.end()) {
            results.push_back({path, AddOutcome::kAlreadyListed,
                               m_Strings->Text(StringId::kReasonAlreadyListed)});
        } else {
            results.push_back(std::move(it->second));
            added.erase(it);
        }
    }
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
    RecountTypes();
}

void CTrackList::ReorderByRecords(const std::vector<const TrackRecord*>& order) {
    // Where each record is now, sorted by address: one block, no allocation per record.
    std::vector<std::pair<const TrackRecord*, std::size_t>> where;
    where.reserve(m_Tracks.size());
    for (std::size_t i = 0; i < m_Tracks.size(); ++i) {
        where.emplace_back(m_Tracks[i].get(), i);
    }
    std::sort(where.begin(), where.end());
    std::vector<std::unique_ptr<TrackRecord>> ordered;
    ordered.reserve(order.size());
    for (const TrackRecord* record : order) {
        const auto it = std::lower_bound(where.begin(), where.end(),
                                         std::pair<const TrackRecord*, std::size_t>(record, 0));
        if (it != where.end() && it->first == record && m_Tracks[it->second]) {
            ordered.push_back(std::move(m_Tracks[it->second]));
        }
    }
    if (ordered.size() != m_Tracks.size()) {
        for (const auto& left : m_Tracks) {
            if (left) {
                m_Paths.erase(left->path);  // dropped out
            }
        }
    }
    const bool dropped = ordered.size() != m_Tracks.size();
    m_Tracks = std::move(ordered);
    if (dropped) {
        RecountTypes();
    }
}

void CTrackList::RecountTypes() {
    m_Mp3Count = 0;
    m_WavCount = 0;
    m_CorruptCount = 0;
    for (const auto& record : m_Tracks) {
        // Every other extension, ".WAV" included, counts as WAV.
        if (IsMp3Path(record->path)) {
            ++m_Mp3Count;
        } else {
            ++m_WavCount;
        }
        m_CorruptCount += record->checkState == AnalysedCorrupt ? 1 : 0;
    }
}

void CTrackList::SetStates(TrackRecord& record, std::int32_t checkState,
                           std::int32_t convertState) {
    m_CorruptCount +=
        (checkState == AnalysedCorrupt ? 1 : 0) - (record.checkState == AnalysedCorrupt ? 1 : 0);
    record.checkState = checkState;
    record.convertState = convertState;
}

std::vector<TrackRecord*> CTrackList::Records() {
    std::vector<TrackRecord*> out;
    out.reserve(m_Tracks.size());
    for (const auto& record : m_Tracks) {
        out.push_back(record.get());
    }
    return out;
}

std::vector<std::string> ColumnTitles(const CStrings& strings) {
    std::vector<std::string> titles;
    std::string current;
    for (const char c : strings.Text(StringId::kListColumns)) {
        if (c == ';' || c == '\n') {
            titles.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        titles.push_back(current);
    }
    return titles;
}

std::string CTrackList::ReportText() const {
    // A tag or path holding line breaks (or other control characters) stays inside its own
    // line, so that every track is exactly seven lines.
    auto value = [](const std::string& text) { return EscapeControls(text, false); };
    std::vector<std::string> labels = ColumnTitles(*m_Strings);
    labels.resize(std::max<std::size_t>(labels.size(), 7));
    std::string out = m_Strings->Text(StringId::kReportTitle) + ":\n\n";
    for (const auto& r : m_Tracks) {
        out += labels[0] + ": " + value(r->path) + "\n";
        out += labels[1] + ": " + CheckStateText(r->checkState, *m_Strings) + "\n";
        out += labels[2] + ": " + ConvertStateText(r->convertState, *m_Strings) + "\n";
        out += labels[3] + ": " + value(r->title) + "\n";
        out += labels[4] + ": " + value(r->artist) + "\n";
        out += labels[5] + ": " + value(r->album) + "\n";
        out += labels[6] + ": " + value(r->lengthText) + "\n\n";
    }
    return out;
}

bool CTrackList::WriteReport(const std::string& file, std::string* error) const {
    if (error != nullptr) {
        error->clear();
    }
    if (!IsReportFileName(file)) {
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
            *error = m_Strings->Text(StringId::kReportCannotWrite, file) + ": " + failure.text;
        }
        return false;
    }
    return true;
}

}  // namespace sonvara
