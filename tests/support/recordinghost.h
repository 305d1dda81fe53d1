#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "jobs/runhost.h"

namespace sonvara {
struct TrackRecord;
}

namespace sonvara::test {

// A run host that records everything a run shows and asks, answers questions with a set
// answer, applies the records' new states at once (when given the run's list) and can ask to
// stop at a chosen point. IsAborted is safe from any thread; the rest comes from the run's
// thread.
class CRecordingHost : public IRunHost {
public:
    CRecordingHost() = default;
    explicit CRecordingHost(std::vector<TrackRecord*> runTracks) : tracks(std::move(runTracks)) {}

    bool IsAborted() override;
    void SetProgress(int percent) override;
    void SetCurrentFile(const std::string& path) override;
    void SetStage(const std::string& word) override { stages.push_back(word); }
    void ClearResults() override { lines.clear(); }
    void AddResult(const std::string& text, std::uint32_t colour) override {
        lines.push_back({text, colour});
    }
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon) override { messages.push_back(text); }
    void ReportError(const std::string& path, const std::string& reason) override {
        errors.push_back({path, reason});
    }
    void UpdateTrack(const TrackUpdate& update) override;
    void RunEnded() override { ++ended; }
    const CStrings& Strings() const override {
        return strings != nullptr ? *strings : EnglishStrings();
    }

    // Line texts only.
    std::vector<std::string> LineTexts() const;

    // Stop requests: set directly, while file N (1-based, counted by SetCurrentFile) is worked
    // on, once more than N files were announced, or after N progress reports.
    std::atomic<bool> aborted{false};
    int abortDuringFile = -1;
    int abortWhenFile = -1;
    int abortAfterProgress = -1;
    // The texts the run is given (null: English).
    const CStrings* strings = nullptr;
    // Answers in turn; the last one repeats (kNo when empty).
    std::vector<Answer> answers;

    std::vector<TrackRecord*> tracks;
    std::atomic<int> filesSeen{0};
    int progressReports = 0;
    int lastProgress = -1;
    int ended = 0;
    std::vector<std::pair<std::string, std::uint32_t>> lines;
    std::vector<std::string> stages;
    std::vector<std::string> files;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::pair<std::string, std::string>> errors;
    std::vector<TrackUpdate> updates;
};

}  // namespace sonvara::test
