#include "convert/normalize.h"

#include <filesystem>

#include "audio/audiowavefile.h"
#include "audio/disctrack.h"
#include "audio/fileexception.h"
#include "jobs/jobstop.h"
#include "jobs/strings.h"
#include "convert/normalizejob.h"
#include "platform/fileops.h"
#include "platform/paths.h"

namespace sonvara {

std::string NormalizeTempPath(const std::string& file, const std::string& trackDirectory) {
    std::string dir = trackDirectory;
    if (!dir.empty() && !IsPathSeparator(dir.back())) {
        dir += PreferredSeparator();
    }
    return dir + "~" + std::string(FileNamePart(file));
}

bool NormalizeFile(const std::string& file, const std::string& trackDirectory, int formatType,
                   IProgressSink* sink, const std::function<void(const std::string&)>& stage,
                   std::string* error) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    };
    if (error != nullptr) {
        error->clear();
    }
    const std::string temp = NormalizeTempPath(file, trackDirectory);
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(temp, ec))) {
        // Never overwrite a file of the user's that happens to have the temporary name.
        return fail(temp + ": a file of the temporary file's name is in the way");
    }
    CDiscAudioTrack track;
    track.SetFile(file);
    if (track.GetFile() == nullptr || !track.GetFile()->IsValid()) {
        return fail(file + ": not a readable WAV file");
    }
    CAudioWaveFile output;
    output.SetFileName(temp);
    if (stage) {
        stage(Text(StringId::kStageNormalizing));
    }
    auto removeTemp = [&] { std::filesystem::remove(temp, ec); };
    CNormalizeJob job;
    job.Setup(&track, &output, formatType, sink);
    bool stopped = false;
    bool created = false;
    try {
        stopped = job.Execute();
        created = job.Created();
        job.Close();
    } catch (const CUserException&) {
        stopped = true;
    } catch (const CFileException& e) {
        try {
            job.Close();
        } catch (...) {
        }
        removeTemp();
        return fail(e.what());
    }
    if (stopped) {
        try {
            job.Close();
        } catch (...) {
        }
        removeTemp();
        return fail("");
    }
    if (created) {
        FileOpError replaceError;
        if (!SyncFile(temp, replaceError) || !ReplaceFile(temp, file, replaceError)) {
            removeTemp();
            return fail(file + ": " + replaceError.text);
        }
    }
    if (stage) {
        stage("");
    }
    return true;
}

}  // namespace sonvara
