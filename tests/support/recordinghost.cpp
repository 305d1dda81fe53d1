#include "support/recordinghost.h"

#include "runs/runhelpers.h"

namespace sonvara::test {

bool CRecordingHost::IsAborted() {
    if (abortWhenFile >= 0 && filesSeen > abortWhenFile) {
        return true;
    }
    return aborted;
}

void CRecordingHost::SetProgress(int percent) {
    ++progressReports;
    lastProgress = percent;
    if (abortDuringFile >= 0 && filesSeen == abortDuringFile) {
        aborted = true;
    }
    if (abortAfterProgress >= 0 && progressReports >= abortAfterProgress) {
        aborted = true;
    }
}

void CRecordingHost::SetCurrentFile(const std::string& path) {
    if (!path.empty()) {
        ++filesSeen;
        files.push_back(path);
    }
}

Answer CRecordingHost::AskOverwrite(const std::string& question) {
    const std::size_t asked = questions.size();
    questions.push_back(question);
    if (answers.empty()) {
        return Answer::kNo;
    }
    return answers[std::min(asked, answers.size() - 1)];
}

void CRecordingHost::UpdateTrack(const TrackUpdate& update) {
    updates.push_back(update);
    ApplyTrackUpdate(tracks, update);
}

std::vector<std::string> CRecordingHost::LineTexts() const {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        out.push_back(line.first);
    }
    return out;
}

}  // namespace sonvara::test
