// The left panes: the track files of a folder, and the folder tree with its lazy reading.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/fileicons.h"
#include "ui/folderfiles.h"
#include "ui/folderfilesview.h"
#include "ui/folderpane.h"
#include "ui/foldertreemodel.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

using test::CTempDir;
namespace fs = std::filesystem;

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker);
        m_Doc->SetReadRunner(test::ReadWithoutDialog);
    }
    QString Dir(const std::string& rel = {}) const {
        return QString::fromStdString(rel.empty() ? m_Dir.Path() : m_Dir.File(rel));
    }
    CTempDir m_Dir;
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;  // outlives the document and its views
    test::CScriptedAsker m_Asker;
    CFileIconCache m_Icons;  // the views' file icons, this test's own
    std::unique_ptr<CSonvaraDoc> m_Doc;
};

TEST_F(Folders, TheFileListShowsNamesEndingInMp3OrWavSortedWithoutCase) {
    for (const char* name : {"B.MP3", "a.wav", "c.txt", "track.mp3x", "notes_wav"}) {
        test::WriteFile(m_Dir.File(name), {1});
    }
    fs::create_directory(m_Dir.File("folder.mp3"));  // folders are not listed
    CListTracksView view(*m_Doc, m_Icons);
    QAbstractItemModelTester tester(view.FileModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy listed(&view, &CListTracksView::listed);
    m_Doc->SetCurrentFolder(m_Dir.Path());
    ASSERT_TRUE(listed.wait(10000));
    QStringList names;
    for (int r = 0; r < view.FileModel()->rowCount(); ++r) {
        names << view.FileModel()->index(r, 0).data().toString();
    }
    EXPECT_EQ(names, (QStringList{"a.wav", "B.MP3", "notes_wav"}));
    EXPECT_EQ(view.FileModel()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Track");
}

TEST_F(Folders, AddTracksNeedsASelectionAndDoubleClickAddsEverySelectedRow) {
    for (const char* name : {"1.mp3", "2.mp3", "3.wav"}) {
        test::WriteFile(m_Dir.File(name), {1});
    }
    CListTracksView view(*m_Doc, m_Icons);
    view.resize(300, 300);
    view.show();
    QSignalSpy listed(&view, &CListTracksView::listed);
    m_Doc->SetCurrentFolder(m_Dir.Path());
    ASSERT_TRUE(listed.wait(10000));
    bool enabled = true;
    ASSERT_TRUE(view.QueryCommand(32790, enabled));
    EXPECT_FALSE(enabled);
    QTest::keyClick(&view, Qt::Key_A);  // releasing A selects every row
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 3);
    view.selectionModel()->select(view.FileModel()->index(1, 0),
                                  QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    ASSERT_TRUE(view.QueryCommand(32790, enabled));
    EXPECT_TRUE(enabled);
    const QRect row = view.visualRect(view.FileModel()->index(0, 0));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, row.center());
    ASSERT_EQ(m_Doc->GetTrackCount(), 2);
    EXPECT_EQ(m_Doc->Tracks().At(0).path, m_Dir.File("1.mp3"));
    EXPECT_EQ(m_Doc->Tracks().At(1).path, m_Dir.File("3.wav"));
    EXPECT_EQ(m_Doc->GetWavCount(), 1);
}

TEST_F(Folders, ExpandingReadsAgainSoAFolderCreatedOutsideAppears) {
    fs::create_directories(m_Dir.File("music/rock"));
    CFolderTreeModel model(m_Runs, m_Icons);
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    model.SetRoots({Dir("music")});
    const QModelIndex top = model.index(0, 0);
    EXPECT_TRUE(model.IsPlaceholder(model.index(0, 0, top)));
    QSignalSpy read(&model, &CFolderTreeModel::folderRead);
    model.ReadFolder(top);
    ASSERT_TRUE(read.wait(10000));
    ASSERT_EQ(model.rowCount(top), 1);
    EXPECT_EQ(model.index(0, 0, top).data().toString(), "rock");
    EXPECT_EQ(model.FullPath(model.index(0, 0, top)), Dir("music/rock"));
    fs::create_directory(m_Dir.File("music/jazz"));
    model.ResetChildren(top);  // collapse
    ASSERT_EQ(model.rowCount(top), 1);
    EXPECT_TRUE(model.IsPlaceholder(model.index(0, 0, top)));
    model.ReadFolder(top);  // expand again
    ASSERT_TRUE(read.wait(10000));
    ASSERT_EQ(model.rowCount(top), 2);
    EXPECT_EQ(model.index(0, 0, top).data().toString(), "jazz");
}

TEST_F(Folders, OnlyVisibleContentGivesAnExpandButton) {
    fs::create_directories(m_Dir.File("root/hiddenonly"));
    test::WriteFile(m_Dir.File("root/hiddenonly/.secret"), {1});
    fs::create_directories(m_Dir.File("root/fileonly"));
    test::WriteFile(m_Dir.File("root/fileonly/song.mp3"), {1});
    fs::create_directories(m_Dir.File("root/.cache"));
    CFolderTreeModel model(m_Runs, m_Icons);
    model.SetRoots({Dir("root")});
    QSignalSpy read(&model, &CFolderTreeModel::folderRead);
    const QModelIndex top = model.index(0, 0);
    model.ReadFolder(top);
    ASSERT_TRUE(read.wait(10000));
    ASSERT_EQ(model.rowCount(top), 2);  // no hidden folders
    const QModelIndex fileOnly = model.index(0, 0, top);
    const QModelIndex hiddenOnly = model.index(1, 0, top);
    EXPECT_EQ(fileOnly.data().toString(), "fileonly");
    EXPECT_TRUE(model.hasChildren(fileOnly));
    EXPECT_FALSE(model.hasChildren(hiddenOnly));
    model.ReadFolder(fileOnly);
    ASSERT_TRUE(read.wait(10000));
    EXPECT_EQ(model.rowCount(fileOnly), 0);  // the button expands to nothing
}

TEST_F(Folders, AStoredPathInAnotherLetterCaseSelectsTheFolderAndF5ComesBack) {
    fs::create_directories(m_Dir.File("Music/Rock/Live"));
    fs::create_directories(m_Dir.File("Music/Jazz"));
    m_Profile.SetString("LastPath", "Path", m_Dir.File("MUSIC/rock"));
    CTreeView1 view(*m_Doc, &m_Profile, m_Icons);
    view.resize(300, 400);
    view.show();
    CFolderTreeCtrl* tree = view.Tree();
    QAbstractItemModelTester tester(tree->FolderModel(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy done(tree, &CFolderTreeCtrl::pathSelected);
    tree->Initialise();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_TRUE(done.last().at(0).toBool());
    EXPECT_EQ(tree->SelectedPath(), Dir("Music/Rock"));
    EXPECT_EQ(m_Doc->GetCurrentFolder(), m_Dir.File("Music/Rock"));
    EXPECT_EQ(m_Profile.GetString("LastPath", "Path", ""), m_Dir.File("Music/Rock"));
    // Another folder chosen, then F5: the roots again and the last folder selected again.
    ASSERT_TRUE(tree->SetSelectedPath(Dir("Music/Jazz")));
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(m_Doc->GetCurrentFolder(), m_Dir.File("Music/Jazz"));
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_F5);
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(tree->SelectedPath(), Dir("Music/Jazz"));
}

TEST_F(Folders, APathThatIsGoneSelectsNothing) {
    m_Profile.SetString("LastPath", "Path", m_Dir.File("gone/away"));
    CTreeView1 view(*m_Doc, &m_Profile, m_Icons);
    QSignalSpy done(view.Tree(), &CFolderTreeCtrl::pathSelected);
    view.Tree()->Initialise();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_FALSE(done.last().at(0).toBool());
    EXPECT_TRUE(m_Doc->GetCurrentFolder().empty());
}

TEST_F(Folders, TheTreeOffersTheRootAndTheHomeFolder) {
    const QStringList roots = CFolderTreeCtrl::RootFolders();
#ifndef Q_OS_WIN
    EXPECT_TRUE(roots.contains("/"));
    EXPECT_TRUE(roots.contains(QDir::homePath()) || QDir::homePath() == "/");
#endif
    EXPECT_FALSE(roots.isEmpty());
}

TEST_F(Folders, AddTracksFromTheTreeAddsTheCurrentFoldersTrackFiles) {
    for (const char* name : {"b.mp3", "A.wav", "x.txt"}) {
        test::WriteFile(m_Dir.File(name), {1});
    }
    fs::create_directory(m_Dir.File("sub.mp3"));
    CTreeView1 view(*m_Doc, &m_Profile, m_Icons);
    bool enabled = false;
    ASSERT_TRUE(view.QueryCommand(32790, enabled));
    EXPECT_TRUE(enabled);
    m_Doc->SetCurrentFolder(m_Dir.Path());
    view.ExecuteCommand(32790);
    ASSERT_TRUE(test::WaitFor([&] { return m_Doc->GetTrackCount() == 2; }));
    EXPECT_EQ(m_Doc->Tracks().At(0).path, m_Dir.File("A.wav"));
    EXPECT_EQ(m_Doc->Tracks().At(1).path, m_Dir.File("b.mp3"));
}

TEST_F(Folders, NamesThatAreNotUtf8TravelByteForByteThroughTreeListDragAndDrop) {
    const std::string folder = m_Dir.File("alb\xe9");
    fs::create_directory(folder);
    std::vector<std::string> files;
    for (const char* name : {"caf\xe9.mp3", "\xff\xfe.mp3", "new\nline.wav", "-dash.mp3"}) {
        files.push_back(folder + "/" + name);
        test::WriteFile(files.back(), {1});
    }
    std::sort(files.begin(), files.end());
    const auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    // The tree lists the folder and shows it readably.
    const auto entries = CFolderTreeModel::ListFolder(PathText(m_Dir.Path()));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(PathBytes(entries[0].name), "alb\xe9");
    EXPECT_EQ(ShownPath(entries[0].name), QString::fromUtf8("alb\xef\xbf\xbd"));
    // The folder's track files, and the tracks added from the tree, keep their bytes.
    EXPECT_EQ(sorted(ToStdPaths(FolderTrackFiles(PathText(folder)))), files);
    CTreeView1 tree(*m_Doc, &m_Profile, m_Icons);
    m_Doc->SetCurrentFolder(folder);
    tree.ExecuteCommand(32790);
    ASSERT_TRUE(test::WaitFor([&] { return m_Doc->GetTrackCount() == 4; }));
    std::vector<std::string> added;
    for (std::size_t i = 0; i < 4; ++i) {
        added.push_back(m_Doc->Tracks().At(i).path);
    }
    EXPECT_EQ(sorted(added), files);
    // Dragged out of the file list and dropped: the URLs carry the same bytes.
    CListTracksView view(*m_Doc, m_Icons);
    QSignalSpy listed(&view, &CListTracksView::listed);
    m_Doc->SetCurrentFolder(folder);
    ASSERT_TRUE(listed.wait(test::kHungMs));
    QModelIndexList rows;
    for (int r = 0; r < view.FileModel()->rowCount(); ++r) {
        rows << view.FileModel()->index(r, 0);
    }
    std::unique_ptr<QMimeData> mime(view.FileModel()->mimeData(rows));
    EXPECT_EQ(sorted(TrackFilesOfUrls(mime->urls())), files);
    // A dropped folder whose own name is not UTF-8.
    EXPECT_EQ(sorted(TrackFilesOfUrls({PathUrl(PathText(folder))})), files);
}

TEST(PathText, EveryByteSequenceComesBackAsItWas) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    for (const std::string& bytes :
         {all, std::string("caf\xc3\xa9 \xe9 \xf0\x9f\x8e\xb5 \xed\xa0\x80 \xc0\xaf"),
          std::string("\xf4\x90\x80\x80\xe2\x82")}) {
        EXPECT_EQ(PathBytes(PathText(bytes)), bytes);
    }
    EXPECT_EQ(PathText("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));  // UTF-8 as it is
}

TEST(FolderFiles, TrackFileNamesByTheirLastThreeLetters) {
    EXPECT_TRUE(IsTrackFileName("a.MP3"));
    EXPECT_TRUE(IsTrackFileName("notes_wav"));
    EXPECT_FALSE(IsTrackFileName("track.mp3x"));
    EXPECT_FALSE(IsTrackFileName("mp"));
}

}  // namespace
}  // namespace sonvara
