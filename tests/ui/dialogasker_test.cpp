// The window's asker: the file dialogs and the box the document's questions open.
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/testfiles.h"
#include "ui/dialogasker.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

using test::CModalAnswerer;
using test::CTempDir;
namespace fs = std::filesystem;

// The window's asker: the save dialog proposes "Analysis Results" as a plain text file, the
// folder picker returns the folder typed into it, and a failed move's box names the file.
TEST(DialogAsker, OpensTheSaveDialogTheFolderPickerAndTheFailureBox) {
    CTempDir dir;
    CDialogAsker asker(EnglishStrings());
    const std::string report = dir.File("results.txt");
    QString proposed;
    QString filter;
    CModalAnswerer save([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        auto* edit = dialog != nullptr ? dialog->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (edit == nullptr) {
            return false;
        }
        proposed = edit->text();
        filter = dialog->selectedNameFilter();
        return test::TypeIntoFileDialog(w, report);
    });
    EXPECT_EQ(asker.ReportFile(dir.Path()), report);
    EXPECT_EQ(proposed, "Analysis Results");
    EXPECT_EQ(filter, "Plain text file (*.txt)");

    const std::string target = dir.File("picked");
    fs::create_directory(target);
    CModalAnswerer pick([&](QWidget* w) { return test::TypeIntoFileDialog(w, target); });
    EXPECT_EQ(asker.MoveDestination(dir.Path()), target);

    QString shown;
    CModalAnswerer<QMessageBox> ok([&](QMessageBox* box) {
        shown = box->text();
        box->accept();
    });
    asker.MoveFailed("/x/bad.mp3", "gone");
    EXPECT_TRUE(shown.startsWith("/x/bad.mp3 cannot be moved: ")) << shown.toStdString();
}

}  // namespace
}  // namespace sonvara
