#include "runs/loudnessrun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "audio/fileexception.h"
#include "audio/mpegtags.h"
#include "jobs/runhost.h"
#include "jobs/strings.h"
#include "platform/runinorder.h"
#include "runs/runhelpers.h"
#include "runs/trackresult.h"
#include "tracks/tracklist.h"

namespace sonvara {

namespace {

// A number with `decimals` digits after the point, then the unit.
std::string Format(double value, int decimals, const char* unit = "") {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f%s", decimals, value, unit);
    return text;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string ValuesText(const LoudnessValues& values) {
    return LufsText(values.integratedLufs) + ", " + DbtpText(values) + ", " +
           LuText(values.rangeLu);
}

}  // namespace

std::string LufsText(double lufs) {
    return Format(lufs, 2, " LUFS");
}

std::string DbtpText(const LoudnessValues& values) {
    return values.truePeak > 0 ? Format(values.TruePeakDbtp(), 2, " dBTP") : "-inf dBTP";
}

std::string LuText(double lu) {
    return Format(lu, 1, " LU");
}

UserTextFrames ReplayGainFrames(const LoudnessValues& track, const LoudnessValues* album) {
    UserTextFrames frames = {
        {"REPLAYGAIN_TRACK_GAIN", Format(ReplayGainDb(track.integratedLufs), 2, " dB")},
        {"REPLAYGAIN_TRACK_PEAK", Format(track.truePeak, 6)},
    };
    if (album != nullptr) {
        frames.emplace_back("REPLAYGAIN_ALBUM_GAIN",
                            Format(ReplayGainDb(album->integratedLufs), 2, " dB"));
        frames.emplace_back("REPLAYGAIN_ALBUM_PEAK", Format(album->truePeak, 6));
    }
    return frames;
}

LoudnessRunResult RunLoudness(const std::vector<TrackRecord*>& tracks, IRunHost& host,
                              const LoudnessRunOptions& options) {
    const CStrings& strings = host.Strings();
    LoudnessRunResult result;
    const std::size_t count = tracks.size();
    result.measured.assign(count, false);
    result.tracks.resize(count);
    result.albumOf.assign(count, -1);
    host.ClearResults();
    host.SetStage(strings.Text(StringId::kStageMeasuring));
    CStopOnlySink stopOnly(host);
    const std::size_t delivered = RunTracksInOrder<TrackLoudness>(
        count, std::max(1u, options.threads),
        [&](std::size_t i) {
            return MeasureTrackLoudness(tracks[i]->path, &stopOnly, options.album);
        },
        [&](std::size_t i, TrackLoudness& measured) {
            const std::string& path = tracks[i]->path;
            host.SetCurrentFile(path);
            if (measured.stopped) {
                return;
            }
            result.measured[i] = true;
            TrackResult shown;
            shown.index = i;
            shown.path = path;
            if (measured.ok) {
                shown.reason = ValuesText(measured.values);
                TrackUpdate update{i, tracks[i]->checkState, tracks[i]->convertState};
                update.loudness = measured.values.integratedLufs;
                host.UpdateTrack(update);
            } else {
                shown.status = TrackStatus::kNotChecked;
                shown.reason = measured.reason;
            }
            ShowResult(shown, ResultShape::kMeasure, host);
            host.SetProgress(static_cast<int>((i + 1) * 100 / count));
            result.tracks[i] = std::move(measured);
        },
        nullptr, [&] { return host.IsAborted(); });
    result.stopped = delivered < count || std::find(result.measured.begin(), result.measured.end(),
                                                    false) != result.measured.end();
    if (result.stopped) {
        host.AddResult(strings.Text(StringId::kLineAborted), kColourRed);
    }

    if (options.album && !result.stopped) {
        // Albums in order of their first track.
        std::map<std::pair<std::string, std::string>, int> index;
        for (std::size_t i = 0; i < count; ++i) {
            const TrackLoudness& t = result.tracks[i];
            if ((t.album.empty() && !options.oneAlbum) || !t.meter) {
                continue;
            }
            const auto key = options.oneAlbum ? std::make_pair(std::string("."), std::string())
                                              : std::make_pair(FolderOf(tracks[i]->path), t.album);
            auto [it, added] = index.emplace(key, static_cast<int>(result.albums.size()));
            if (added) {
                result.albums.push_back({key.first, key.second, false, {}, {}, {}});
            }
            result.albums[static_cast<std::size_t>(it->second)].members.push_back(i);
            result.albumOf[i] = it->second;
        }
        for (AlbumLoudness& album : result.albums) {
            std::vector<const CLoudnessMeter*> meters;
            for (const std::size_t i : album.members) {
                meters.push_back(result.tracks[i].meter.get());
            }
            const LoudnessFailure failure = CLoudnessMeter::AlbumResult(meters, album.values);
            album.ok = failure == LoudnessFailure::kNone;
            album.reason = LoudnessFailureText(failure);
            const std::string title = album.folder + "/" + album.name;
            host.AddResult(title, album.ok ? kColourDefault : kColourRed);
            host.AddResult(
                album.ok ? strings.Text(StringId::kLineAlbumLoudness, ValuesText(album.values))
                         : strings.Text(StringId::kLineNotMeasured, album.reason),
                album.ok ? kColourDefault : kColourRed);
        }
    }
    for (TrackLoudness& t : result.tracks) {
        t.meter.reset();
    }

    if (options.writeTags && !result.stopped) {
        result.tagResults.assign(count, std::string());
        host.SetStage(strings.Text(StringId::kStageWritingTags));
        for (std::size_t i = 0; i < count; ++i) {
            const std::string& path = tracks[i]->path;
            if (!result.tracks[i].ok) {
                continue;
            }
            if (host.IsAborted()) {
                result.stopped = true;
                host.AddResult(strings.Text(StringId::kLineAborted), kColourRed);
                break;
            }
            host.SetCurrentFile(path);
            if (!CTrackList::IsMp3Path(path)) {
                continue;  // WAV files carry no ReplayGain tags
            }
            const int album = result.albumOf[i];
            const AlbumLoudness* a =
                album >= 0 ? &result.albums[static_cast<std::size_t>(album)] : nullptr;
            const UserTextFrames frames = ReplayGainFrames(
                result.tracks[i].values, a != nullptr && a->ok ? &a->values : nullptr);
            try {
                SaveMpegTags(path, MpegTagTexts{}, frames);
                host.AddResult(path, kColourDefault);
                host.AddResult(strings.Text(StringId::kLineTagsWritten, frames[0].second),
                               kColourDefault);
            } catch (const CFileException& e) {
                std::string why = e.what();
                if (why.rfind(path + ": ", 0) == 0) {
                    why.erase(0, path.size() + 2);
                }
                result.tagResults[i] = why;
                host.ReportError(path, why);
                host.AddResult(path, kColourRed);
                host.AddResult(strings.Text(StringId::kLineTagsNotWritten, why), kColourRed);
            }
            host.ScrollToEnd();
        }
    }
    host.SetStage("");
    host.SetCurrentFile("");
    host.SetProgress(0);
    host.RunEnded();
    return result;
}

}  // namespace sonvara
