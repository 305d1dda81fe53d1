#pragma once

#include <cstdint>
#include <string>

#include "convert/progresssink.h"

namespace sonvara {

inline constexpr std::uint32_t kColourDefault = 0;
inline constexpr std::uint32_t kColourRed = 255;

// What a run shows and asks while it walks the list: the window's run dialogs, the batch
// front end and the tests each implement it. Every call comes from the run's thread.
class IRunHost : public IProgressSink {
public:
    enum class Answer { kYes, kNo, kCancel };
    enum class Icon { kInformation, kExclamation, kStop, kQuestion };

    virtual void SetCurrentFile(const std::string& path) = 0;
    virtual void SetStage(const std::string& word) = 0;
    virtual void ClearResults() = 0;
    // A result line; colour 0 is the system's colours, 255 red.
    virtual void AddResult(const std::string& text, std::uint32_t colour) = 0;
    // Scroll so that the last result line is the top visible one.
    virtual void ScrollToEnd() = 0;
    // The overwrite question for an existing output file.
    virtual Answer AskOverwrite(const std::string& question) = 0;
    virtual void ShowMessage(const std::string& text, Icon icon) = 0;
    // The run has ended (the window closes its dialog after a short pause).
    virtual void RunEnded() = 0;
};

inline const char* const kAbortedLine = "Aborted at user request!";
inline const char* const kOkLine = "        ===> File OK! ";
inline const char* const kCorruptLine = "        ===> FILE CORRUPT!!!  Please convert.";

}  // namespace sonvara
