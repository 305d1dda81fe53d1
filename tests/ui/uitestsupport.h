#pragma once

#include "modalanswerer.h"
#include "support/runevents.h"
#include "tracks/tracklist.h"
#include "ui/documentasker.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace sonvara::test {

// Waits (running events) until the condition holds; false only when a run hung.
inline bool WaitFor(const std::function<bool()>& condition, int boundMs = kHungMs) {
    return RunEventsUntil(condition, boundMs);
}

// A valid MP3 stream of hand-built frames (about `frames` × 26 ms), and a damaged copy.
std::vector<std::uint8_t> GoodMp3(int frames = 40);
std::vector<std::uint8_t> CorruptMp3(int frames = 40);

// Reads each file of an add as two seconds long without opening it (the document's read
// runner in tests that are not about reading).
std::vector<ReadTrack> ReadWithoutDialog(const std::vector<std::string>& paths, bool readTags);

// The document's questions answered from a script, and what it told the user written down:
// no file dialog or message box opens.
class CScriptedAsker : public IDocumentAsker {
public:
    std::string reportFile;               // the name "chosen" for the report (empty: cancelled)
    std::string moveDestination;          // the folder "picked" for the move (empty: cancelled)
    std::deque<Answer> overwriteAnswers;  // in order; No once they run out
    std::vector<std::string> questions;   // the overwrite questions asked
    std::vector<std::string> told;        // every message, in order

    std::string ReportFile(const std::string&) override { return reportFile; }
    std::string MoveDestination(const std::string&) override { return moveDestination; }
    void ReportNotPlainText() override { told.push_back("not plain text"); }
    void ReportNotSaved(const std::string& reason) override { told.push_back(reason); }
    Answer MoveOverwrite(const std::string& question) override {
        questions.push_back(question);
        if (overwriteAnswers.empty()) {
            return Answer::kNo;
        }
        const Answer answer = overwriteAnswers.front();
        overwriteAnswers.pop_front();
        return answer;
    }
    void MoveMessage(const std::string& text, MessageIcon) override { told.push_back(text); }
    void MoveFailed(const std::string& path, const std::string& reason) override {
        told.push_back(path + ": " + reason);
    }
};

}  // namespace sonvara::test
