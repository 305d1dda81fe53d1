#include "ui/dialogasker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

#include "jobs/strings.h"
#include "ui/qtrunhost.h"

namespace sonvara {

namespace {

// The texts keep the document's translation context: they are the document's questions.
QString SaveCaption() {
    return QCoreApplication::translate("sonvara::CSonvaraDoc", "Save Analysis Results");
}

QString MoveCaption() {
    return QCoreApplication::translate("sonvara::CSonvaraDoc", "Move & Save Corrupt Files");
}

std::string Chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return QDir::toNativeSeparators(dialog.selectedFiles().front()).toStdString();
}

}  // namespace

std::string CDialogAsker::ReportFile(const std::string& folder) {
    QFileDialog dialog(m_Parent, SaveCaption());
    dialog.setObjectName("SaveResultsDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(
        QCoreApplication::translate("sonvara::CSonvaraDoc", "Plain text file (*.txt)"));
    dialog.setDefaultSuffix("txt");
    if (!folder.empty()) {
        dialog.setDirectory(QString::fromStdString(folder));
    }
    dialog.selectFile(QCoreApplication::translate("sonvara::CSonvaraDoc", "Analysis Results"));
    return Chosen(dialog);
}

std::string CDialogAsker::MoveDestination(const std::string& folder) {
    // A folder picker: the corrupt files go into the chosen folder under their own names.
    QFileDialog dialog(
        m_Parent, QCoreApplication::translate("sonvara::CSonvaraDoc", "Move All Corrupt Files"));
    dialog.setObjectName("MoveCorruptDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept,
                        QCoreApplication::translate("sonvara::CSonvaraDoc", "&Move"));
    if (!folder.empty()) {
        dialog.setDirectory(QString::fromStdString(folder));
    }
    return Chosen(dialog);
}

void CDialogAsker::ReportNotPlainText() {
    QMessageBox::information(
        m_Parent, SaveCaption(),
        QCoreApplication::translate("sonvara::CSonvaraDoc",
                                    "The analysis results are saved only as a plain text file "
                                    "(.txt); nothing was written."));
}

void CDialogAsker::ReportNotSaved(const std::string& reason) {
    QMessageBox::warning(m_Parent, SaveCaption(), QString::fromStdString(reason));
}

Answer CDialogAsker::MoveOverwrite(const std::string& question) {
    // Under the command's name, with No as the default.
    QMessageBox box(QMessageBox::Question, MoveCaption(), QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_Parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes: return Answer::kYes;
        case QMessageBox::No: return Answer::kNo;
        default: return Answer::kCancel;
    }
}

void CDialogAsker::MoveMessage(const std::string& text, MessageIcon icon) {
    QMessageBox box(MessageBoxIcon(icon), MoveCaption(), QString::fromStdString(text),
                    QMessageBox::Ok, m_Parent);
    box.exec();
}

void CDialogAsker::MoveFailed(const std::string& path, const std::string& reason) {
    QMessageBox::information(
        m_Parent, MoveCaption(),
        QString::fromStdString(m_Strings.Text(StringId::kMoveFailed, path, reason)));
}

}  // namespace sonvara
