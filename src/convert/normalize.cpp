#include "convert/normalize.h"

#include <algorithm>
#include <cmath>

#include "audio/audiowavefile.h"
#include "audio/disctrack.h"
#include "audio/fileexception.h"
#include "convert/loudnessscan.h"
#include "convert/normalizejob.h"
#include "jobs/jobstop.h"
#include "jobs/progresssink.h"
#include "jobs/strings.h"
#include "platform/atomicfile.h"
#include "platform/scopeguard.h"

namespace sonvara {

namespace {

// factor 0: to the 95 % peak; else that factor.
bool Rewrite(const std::string& file, int formatType, double factor, IProgressSink* sink,
             const std::function<void(const std::string&)>& stage, std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (error != nullptr) {
        error->clear();
    }
    CDiscAudioTrack track;
    track.SetFile(file);
    if (track.GetFile() == nullptr || !track.GetFile()->IsValid()) {
        return fail(file + ": not a readable WAV file");
    }
    // The normalised file is made beside the file under a temporary name of ours (never one a
    // user's file or an earlier run could hold) and takes its place only when complete.
    CAtomicFile temp(file);
    FileOpError createError;
    if (!temp.Create(createError)) {
        return fail(file + ": cannot make a temporary file beside it: " + createError.text);
    }
    CAudioWaveFile output;
    output.SetFileName(temp.TempPath());
    if (stage) {
        stage(StringsOf(sink).Text(StringId::kStageNormalizing));
    }
    CScopeGuard clearStage([&stage] {
        if (stage) {
            stage("");
        }
    });
    CNormalizeJob job;
    job.Setup(&track, &output, formatType, sink);
    job.SetFactor(factor);
    bool stopped = false;
    bool created = false;
    try {
        auto closeOnFailure = OnFailure([&job] { job.Close(); });
        stopped = job.Execute();
        created = job.Created();
        job.Close();
    } catch (const CUserException&) {
        stopped = true;
    } catch (const CFileException& e) {
        // The temporary file goes with `temp`; the file stays as it was.
        const std::string what = e.what();
        const std::string prefix = temp.TempPath() + ": ";
        return fail(what.rfind(prefix, 0) == 0 ? file + ": " + what.substr(prefix.size()) : what);
    }
    if (stopped) {
        return fail("");
    }
    if (created) {
        FileOpError replaceError;
        if (!temp.Commit(replaceError)) {
            return fail(file + ": " + replaceError.text);
        }
    }
    return true;
}

}  // namespace

bool NormalizeFile(const std::string& file, int formatType, IProgressSink* sink,
                   const std::function<void(const std::string&)>& stage, std::string* error) {
    return Rewrite(file, formatType, 0, sink, stage, error);
}

bool NormalizeFileToLoudness(const std::string& file, int formatType, double targetLufs,
                             IProgressSink* sink,
                             const std::function<void(const std::string&)>& stage,
                             std::string* error, LoudnessNormalizeResult* result) {
    LoudnessNormalizeResult done;
    if (error != nullptr) {
        error->clear();
    }
    if (stage) {
        stage(StringsOf(sink).Text(StringId::kStageMeasuring));
    }
    const TrackLoudness measured = MeasureTrackLoudness(file, sink);
    if (stage) {
        stage("");
    }
    if (measured.stopped) {
        return false;
    }
    if (!measured.ok) {
        if (measured.reason != LoudnessFailureText(LoudnessFailure::kSilent) &&
            measured.reason != LoudnessFailureText(LoudnessFailure::kTooShort)) {
            if (error != nullptr) {
                *error = file + ": " + measured.reason;
            }
            return false;
        }
        done.measured = false;
        done.why = measured.reason;
        if (result != nullptr) {
            *result = done;
        }
        return true;
    }
    done.measured = true;
    done.before = measured.values.integratedLufs;
    const double wanted = targetLufs - done.before;
    const double room = kTruePeakCeilingDbtp - measured.values.TruePeakDbtp();
    done.gainDb = std::min(wanted, room);
    done.reached = wanted <= room + 1e-9;
    done.after = done.before + done.gainDb;
    if (result != nullptr) {
        *result = done;
    }
    if (std::fabs(done.gainDb) < 0.005) {
        return true;  // nothing to change
    }
    return Rewrite(file, formatType, std::pow(10.0, done.gainDb / 20.0), sink, stage, error);
}

}  // namespace sonvara
