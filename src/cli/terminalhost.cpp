#include "cli/terminalhost.h"

#include <cstdio>
#include <iostream>

#include "cli/console.h"
#include "jobs/strings.h"
#include "platform/fileinfo.h"
#include "runs/runhelpers.h"

namespace sonvara::cli {

CTerminalQuestions::CTerminalQuestions(CConsole& console, OverwritePolicy policy)
    : m_Console(console), m_Policy(policy) {}

int CTerminalQuestions::Ask(const std::string& question) {
    if (m_Policy == OverwritePolicy::kYes) {
        return 0;
    }
    if (m_Policy == OverwritePolicy::kNo || !IsTerminal(stdin)) {
        return 1;
    }
    for (;;) {
        m_Console.Message(question + " [y]es / [n]o / [c]ancel / [q]uit");
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            return 3;  // no more answers can come: the run ends
        }
        if (!answer.empty()) {
            switch (answer[0]) {
                case 'y':
                case 'Y': return 0;
                case 'n':
                case 'N': return 1;
                case 'c':
                case 'C': return 2;
                case 'q':
                case 'Q': return 3;
                default: break;
            }
        }
    }
}

CTerminalHost::CTerminalHost(CConsole& console, CTerminalQuestions& questions,
                             std::vector<TrackRecord*> tracks)
    : m_Console(console),
      m_Questions(questions),
      m_Tracks(std::move(tracks)),
      m_Colour(IsTerminal(stdout)) {}

bool CTerminalHost::IsAborted() {
    return Interrupted();
}

void CTerminalHost::SetCurrentFile(const std::string& path) {
    if (!path.empty()) {
        m_Console.ShowProgress(0, 0, path, true);
    }
}

void CTerminalHost::AddResult(const std::string& text, std::uint32_t colour) {
    // One line per result, whatever the path holds.
    if (m_Colour && colour == kColourRed) {
        m_Console.PrintLine("\033[31m" + EscapeField(text) + "\033[0m");
    } else {
        m_Console.PrintLine(EscapeField(text));
    }
}

Answer CTerminalHost::AskOverwrite(const std::string& question) {
    switch (m_Questions.Ask(question)) {
        case 0: return Answer::kYes;
        case 1: return Answer::kNo;
        case 2: return Answer::kCancel;
        default: return Answer::kStop;
    }
}

void CTerminalHost::ShowMessage(const std::string& text, MessageIcon) {
    ++failures;
    if (!sameFolderText.empty() && text == Strings().Text(StringId::kSameFolder)) {
        m_Console.Message(sameFolderText);
        return;
    }
    m_Console.Message(text);
}

void CTerminalHost::ReportError(const std::string& path, const std::string& reason) {
    ++failures;
    m_Console.Message(EscapeField(path) + ": " + EscapeField(reason));  // one line per file
}

void CTerminalHost::UpdateTrack(const TrackUpdate& update) {
    ApplyTrackUpdate(m_Tracks, update);
}

}  // namespace sonvara::cli
