#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "jobs/progresssink.h"

namespace sonvara {

inline constexpr std::uint32_t kColourDefault = 0;  // the palette's colours
inline constexpr std::uint32_t kColourRed = 255;

// The answer to every question a run asks (overwrite an output, replace a moved file). No and
// Cancel both keep the existing file and the run goes on with the next track; only kStop (the
// batch front end's "quit") or a stop of the run itself ends it.
enum class Answer { kYes, kNo, kCancel, kStop };
enum class MessageIcon { kInformation, kExclamation, kStop, kQuestion };

// A run's new verdicts for one track of the list it was given.
struct TrackUpdate {
    std::size_t index = 0;  // into the list of records handed to the run
    std::int32_t checkState = 0;
    std::int32_t convertState = 0;
    // The integrated loudness measured (LUFS); NaN leaves the record's value as it is.
    double loudness = std::numeric_limits<double>::quiet_NaN();
};

// What a run shows and asks while it works: the analysis and conversion runs, adding tracks
// and moving corrupt files. The window's run dialogs, the batch front end and the tests each
// implement it.
//
// Threads: IsAborted may be called from any thread, also from several workers of a parallel
// walk at once, and must be safe there. Every other call comes from the thread that called the
// run function (the "run's thread": a dialog's worker in the window), one at a time. Questions
// and messages block that thread until they are answered. A run never writes the records it
// was given: it reads them and reports their new states through UpdateTrack, and the host
// applies them on the thread that owns the list (the window's UI thread; the CLI and the tests
// at once).
class IRunHost : public IProgressSink {
public:
    virtual void SetCurrentFile(const std::string& path) = 0;
    virtual void SetStage(const std::string& word) = 0;
    virtual void ClearResults() = 0;
    // A result line; colour kColourDefault or kColourRed.
    virtual void AddResult(const std::string& text, std::uint32_t colour) = 0;
    // Scroll so that the last result line is the top visible one.
    virtual void ScrollToEnd() = 0;
    // A yes/no/cancel question about replacing an existing file.
    virtual Answer AskOverwrite(const std::string& question) = 0;
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // A track that could not be read or checked (it is not corrupt), with the reason.
    virtual void ReportError(const std::string& path, const std::string& reason) = 0;
    virtual void UpdateTrack(const TrackUpdate& update) = 0;
    // The run has ended (the window closes its dialog).
    virtual void RunEnded() = 0;
};

// A host that shows nothing: no stop request, each call does nothing and a question is answered
// No. A host that shows part of a run derives from it and overrides only that part.
class CQuietRunHost : public IRunHost {
public:
    bool IsAborted() override { return false; }
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetStage(const std::string&) override {}
    void ClearResults() override {}
    void AddResult(const std::string&, std::uint32_t) override {}
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string&) override { return Answer::kNo; }
    void ShowMessage(const std::string&, MessageIcon) override {}
    void ReportError(const std::string&, const std::string&) override {}
    void UpdateTrack(const TrackUpdate&) override {}
    void RunEnded() override {}
};

}  // namespace sonvara
