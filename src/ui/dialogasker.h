#pragma once

#include <QPointer>
#include <QWidget>

#include "jobs/strings.h"
#include "ui/documentasker.h"

namespace sonvara {

// The document's questions as the user sees them: the save dialog of the report, the folder
// picker of the move, and message boxes over the window it is given.
class CDialogAsker : public IDocumentAsker {
public:
    explicit CDialogAsker(const CStrings& strings, QWidget* parent = nullptr)
        : m_Strings(strings), m_Parent(parent) {}
    void SetParent(QWidget* parent) { m_Parent = parent; }

    std::string ReportFile(const std::string& folder) override;
    std::string MoveDestination(const std::string& folder) override;
    void ReportNotPlainText() override;
    void ReportNotSaved(const std::string& reason) override;
    Answer MoveOverwrite(const std::string& question) override;
    void MoveMessage(const std::string& text, MessageIcon icon) override;
    void MoveFailed(const std::string& path, const std::string& reason) override;

private:
    const CStrings& m_Strings;
    QPointer<QWidget> m_Parent;
};

}  // namespace sonvara
