#include "convert/loudnessscan.h"

#include <vector>

#include "audio/disctrack.h"
#include "jobs/progresssink.h"
#include "jobs/strings.h"

namespace sonvara {

std::string LoudnessFailureText(LoudnessFailure failure) {
    switch (failure) {
        case LoudnessFailure::kTooShort: return "too short (less than 400 ms of audio)";
        case LoudnessFailure::kSilent: return "silent";
        default: return {};
    }
}

TrackLoudness MeasureTrackLoudness(const std::string& path, IProgressSink* sink, bool keepMeter) {
    TrackLoudness out;
    CDiscAudioTrack track;
    track.SetFile(path);
    CAudioFile* file = track.GetFile();
    if (file == nullptr || !file->IsValid()) {
        const std::string why = file != nullptr ? file->UnreadableReason() : std::string();
        out.reason = why.empty() ? "not a readable MP3 or WAV file" : why;
        return out;
    }
    out.album = file->GetAlbum();
    track.OpenStream();
    const unsigned channels = static_cast<unsigned>(file->GetDeliveredChannels());
    const unsigned rate = file->GetDeliveredSampleRate();
    // A mono file that the reader delivers as stereo (the formats it converts) is measured as
    // the one channel it is: both channels would read it 3 LU too loud.
    const bool monoAsStereo = channels == 2 && file->GetChannels() == 1;
    auto meter = std::make_shared<CLoudnessMeter>(monoAsStereo ? 1 : channels, rate);
    if (!meter->IsValid()) {
        track.CloseStream();
        const std::string why = file->UnreadableReason();
        out.reason = !why.empty()
                         ? why
                         : StringsOf(sink).Text(StringId::kReasonCannotMeasure,
                                                std::to_string(channels), std::to_string(rate));
        return out;
    }
    constexpr std::size_t kBlockBytes = 65536;
    std::vector<std::int16_t> buffer(kBlockBytes / 2);
    const std::size_t frameBytes = 2 * static_cast<std::size_t>(channels);
    const std::int64_t length = file->GetLength();
    for (;;) {
        if (sink != nullptr && sink->IsAborted()) {
            out.stopped = true;
            break;
        }
        const int n = track.Read(kBlockBytes, 1, buffer.data(), kBlockBytes);
        if (n < 0) {
            const std::string why = track.UnreadableReason();
            out.reason = why.empty() ? StringsOf(sink).Text(StringId::kReasonReadFailed) : why;
            track.CloseStream();
            return out;
        }
        if (n == 0) {
            break;
        }
        const std::size_t frames = static_cast<std::size_t>(n) / frameBytes;
        if (monoAsStereo) {
            for (std::size_t f = 0; f < frames; ++f) {
                buffer[f] = buffer[2 * f];
            }
        }
        meter->AddFrames(buffer.data(), frames);
        if (sink != nullptr && length > 0) {
            const std::int64_t done = static_cast<std::int64_t>(meter->Frames()) * 1000 / rate;
            sink->SetProgress(static_cast<int>(std::min<std::int64_t>(100, done * 100 / length)));
        }
    }
    track.CloseStream();
    if (out.stopped) {
        return out;
    }
    const LoudnessFailure failure = meter->Result(out.values);
    if (failure != LoudnessFailure::kNone) {
        out.reason = LoudnessFailureText(failure);
        if (failure == LoudnessFailure::kSilent && keepMeter) {
            out.meter = meter;  // silence still counts towards its album's peaks and blocks
        }
        return out;
    }
    out.ok = true;
    if (keepMeter) {
        out.meter = std::move(meter);
    }
    return out;
}

}  // namespace sonvara
