#pragma once

#include <string>

#include "jobs/runhost.h"

namespace sonvara {

// Every question and message the document puts to the user, handed to it at construction: the
// window's asker opens the file dialogs and message boxes, a test's asker answers from a
// script. Each call comes on the UI thread and returns once the user has answered.
class IDocumentAsker {
public:
    virtual ~IDocumentAsker() = default;
    // The file "Save Analysis Results..." writes; empty: cancelled. The dialog starts in
    // `folder` (empty: where it likes).
    virtual std::string ReportFile(const std::string& folder) = 0;
    // The folder "Move && Save Corrupt Files..." moves to; empty: cancelled.
    virtual std::string MoveDestination(const std::string& folder) = 0;
    // The name chosen for the report is not a ".txt" file: nothing was written.
    virtual void ReportNotPlainText() = 0;
    // The report could not be written; `reason` says why (or names the file).
    virtual void ReportNotSaved(const std::string& reason) = 0;
    // The move's question about replacing a file in the destination.
    virtual Answer MoveOverwrite(const std::string& question) = 0;
    // A message of the move (the destination cannot be created).
    virtual void MoveMessage(const std::string& text, MessageIcon icon) = 0;
    // A corrupt file that could not be moved; it stays listed.
    virtual void MoveFailed(const std::string& path, const std::string& reason) = 0;
};

}  // namespace sonvara
