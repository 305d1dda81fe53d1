// The left panes: the track files of a folder, and the folder tree with its lazy reading.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/folderfiles.h"
#include "ui/foldertreemodel.h"
#include "ui/listtracksview.h"
#include "ui/sonvaradoc.h"
#include "ui/treeview1.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

using test::CTempDir;
namespace fs = std::filesystem;

std::vector<ReadTrack> FakeRead(const std::vector<std::string>& paths, bool) {
    std::vector<ReadTrack> read;
    for (const std::string& path : paths) {
        ReadTrack track;
        track.path = path;
        track.info.lengthMs = 2000;
        read.push_back(track);
    }
    return read;
}

class Folders : public ::testing::Test {
protected:
    void SetUp() override {
        m_Doc = std::make_unique<CSonvaraDoc>(m_Settings);
        m_Doc->SetReadRunner(FakeRead);
    }
    QString Dir(const std::string& rel = {}) const {
        return QString::fromStdString(rel.empty() ? m_Dir.Path() : m_Dir.File(rel));
    }
    CTempDir m_Dir;
    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    std::unique_ptr<CSonvaraDoc> m_Doc;
};

TEST_F(Folders, TheFileListShowsNamesEndingInMp3OrWavSortedWithoutCase) {
    for (const char* name : {"B.MP3", "a.wav", "c.txt", "track.mp3x", "notes_wav"}) {
        test::WriteFile(m_Dir.File(name), {1});
    }
    fs::create_directory(m_Dir.File("folder.mp3"));  // folders are not listed
    CListTracksView view(*m_Doc);
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
    CListTracksView view(*m_Doc);
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
    CFolderTreeModel model;
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
    CFolderTreeModel model;
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
    CTreeView1 view(*m_Doc, &m_Profile);
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
    CTreeView1 view(*m_Doc, &m_Profile);
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
    CTreeView1 view(*m_Doc, &m_Profile);
    bool enabled = false;
    ASSERT_TRUE(view.QueryCommand(32790, enabled));
    EXPECT_TRUE(enabled);
    m_Doc->SetCurrentFolder(m_Dir.Path());
    view.ExecuteCommand(32790);
    ASSERT_TRUE(test::WaitFor([&] { return m_Doc->GetTrackCount() == 2; }));
    EXPECT_EQ(m_Doc->Tracks().At(0).path, m_Dir.File("A.wav"));
    EXPECT_EQ(m_Doc->Tracks().At(1).path, m_Dir.File("b.mp3"));
}

TEST(FolderFiles, TrackFileNamesByTheirLastThreeLetters) {
    EXPECT_TRUE(IsTrackFileName("a.MP3"));
    EXPECT_TRUE(IsTrackFileName("notes_wav"));
    EXPECT_FALSE(IsTrackFileName("track.mp3x"));
    EXPECT_FALSE(IsTrackFileName("mp"));
}

}  // namespace
}  // namespace sonvara
