#include "convert/normalize.h"

#include "audio/audiowavefile.h"
#include "audio/disctrack.h"
#include "audio/fileexception.h"
#include "convert/normalizejob.h"
#include "jobs/jobstop.h"
#include "jobs/strings.h"
#include "platform/atomicfile.h"
#include "platform/scopeguard.h"

namespace sonvara {

bool NormalizeFile(const std::string& file, int formatType, IProgressSink* sink,
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
        stage(Text(StringId::kStageNormalizing));
    }
    CScopeGuard clearStage([&stage] {
        if (stage) {
            stage("");
        }
    });
    CNormalizeJob job;
    job.Setup(&track, &output, formatType, sink);
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

}  // namespace sonvara
