// The working list: the model over the records, the sortable list rules, the column widths,
// and the selected-track view's keys, counters and selection.
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "support/runevents.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/fileicons.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"
#include "ui/tracklistview.h"
#include "uitestsupport.h"

namespace sonvara {
namespace {

using test::CTempDir;

struct Row {
    const char* path;
    const char* title;
    const char* artist;
    int ms;
};

class WorkingList : public ::testing::Test {
protected:
    void SetUp() override {
        m_Doc = std::make_unique<CSonvaraDoc>(m_Settings, m_Runs, m_Asker);
        m_View = std::make_unique<CListSelectedTracksListView>(*m_Doc, m_Icons);
        m_View->SetProfile(&m_Profile);
        m_View->resize(800, 400);
        m_View->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_View.get(), test::kHungMs));
        s_ModelFaults = 0;
        m_OldHandler = qInstallMessageHandler(CountModelFaults);
        m_Tester = std::make_unique<QAbstractItemModelTester>(
            m_View->TrackModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    }

    void TearDown() override {
        m_Tester.reset();
        qInstallMessageHandler(m_OldHandler);
        EXPECT_EQ(s_ModelFaults, 0) << "the model broke a rule of Qt's item models";
    }

    // Qt's model tester reports each broken rule as a warning of its category.
    static void CountModelFaults(QtMsgType type, const QMessageLogContext& context,
                                 const QString& text) {
        if (context.category != nullptr && qstrcmp(context.category, "qt.modeltest") == 0 &&
            type != QtDebugMsg) {
            ++s_ModelFaults;
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    }

    void Fill(const std::vector<Row>& rows) {
        emit m_Doc->tracksAboutToChange();
        for (const Row& row : rows) {
            auto record = std::make_unique<TrackRecord>();
            record->path = row.path;
            record->SetTitle(row.title);
            record->SetArtist(row.artist);
            record->SetLength(row.ms);
            m_Doc->Tracks().Append(std::move(record));
        }
        m_Doc->Tracks().RecountTypes();
        m_Doc->UpdateViews();
    }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> out;
        auto* model = m_View->TrackModel();
        for (int r = 0; r < model->rowCount(); ++r) {
            out.push_back(model->index(r, column).data().toString().toStdString());
        }
        return out;
    }

    std::vector<std::string> ListPaths() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < m_Doc->Tracks().GetTrackCount(); ++i) {
            out.push_back(m_Doc->Tracks().At(i).path);
        }
        return out;
    }

    // A click on a column header as the user does it: left button, Ctrl held or not.
    void ClickHeader(int column, Qt::KeyboardModifiers mods = Qt::NoModifier,
                     Qt::MouseButton button = Qt::LeftButton) {
        QHeaderView* header = m_View->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), button, mods, QPoint(x, header->height() / 2));
    }

    CMemoryProfileStore m_Profile;
    CSettings m_Settings{m_Profile};
    CRunService m_Runs;  // outlives the document and its views
    test::CScriptedAsker m_Asker;
    CFileIconCache m_Icons;  // the views' file icons, this test's own
    std::unique_ptr<CSonvaraDoc> m_Doc;
    std::unique_ptr<CListSelectedTracksListView> m_View;
    std::unique_ptr<QAbstractItemModelTester> m_Tester;
    QtMessageHandler m_OldHandler = nullptr;
    static inline int s_ModelFaults = 0;
};

TEST(SortKeys, TimesAndNumbersReadLikeTheCRuntime) {
    EXPECT_GT(CSortableTableModel::NumericKey(u"10:05"), CSortableTableModel::NumericKey(u"9:59"));
    EXPECT_EQ(CSortableTableModel::NumericKey(u"10:05"), 605);
    EXPECT_EQ(CSortableTableModel::NumericKey(u"75"), 75);
    EXPECT_EQ(CSortableTableModel::NumericKey(u" 12abc"), 12);
    EXPECT_EQ(CSortableTableModel::NumericKey(u"abc"), 0);
    EXPECT_EQ(CSortableTableModel::NumericKey(u"1:2:3"), 62);  // the part after the first ':'
}

TEST_F(WorkingList, ShowsNineColumnsWithVerdictTexts) {
    Fill({{"/m/a.mp3", "T", "A", 61000}, {"/m/b.WAV", "", "", 5000}});
    m_Doc->Tracks().At(0).checkState = AnalysedCorrupt;
    m_Doc->Tracks().At(1).convertState = ConvertedWavToMp3;
    m_Doc->UpdateViews();
    auto* model = m_View->TrackModel();
    ASSERT_EQ(model->columnCount(), 9);
    const char* titles[] = {"File",  "Check",  "Convert", "Title",   "Artist",
                            "Album", "Length", "Path",    "Loudness"};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles[c]);
    }
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a.mp3", "b.WAV"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"Corrupt", "no"}));
    EXPECT_EQ(Column(2), (std::vector<std::string>{"no", "WAV -> MP3"}));
    EXPECT_EQ(Column(6), (std::vector<std::string>{"1:01", "0:05"}));
    EXPECT_EQ(Column(8), (std::vector<std::string>{"", ""}));  // empty until measured
    EXPECT_EQ(model->index(0, 6).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter,
              Qt::AlignHCenter);
}

TEST_F(WorkingList, PlainClicksSortDescendingThenAlternateAndWriteTheOrderBack) {
    Fill({{"/m/b.mp3", "", "", 1000}, {"/m/c.mp3", "", "", 1000}, {"/m/a.mp3", "", "", 1000}});
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"c.mp3", "b.mp3", "a.mp3"}));
    EXPECT_EQ(ListPaths(), (std::vector<std::string>{"/m/c.mp3", "/m/b.mp3", "/m/a.mp3"}));
    EXPECT_EQ(m_View->SortHeader()->Arrow(0), 0);
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"a.mp3", "b.mp3", "c.mp3"}));
    EXPECT_EQ(m_View->SortHeader()->Arrow(0), 1);
    ClickHeader(0);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"c.mp3", "b.mp3", "a.mp3"}));
    ClickHeader(0, Qt::NoModifier, Qt::RightButton);  // a right click does not sort
    EXPECT_EQ(Column(0), (std::vector<std::string>{"c.mp3", "b.mp3", "a.mp3"}));
}

TEST_F(WorkingList, TimeColumnSortsByMinutesAndSeconds) {
    m_View->OnInitialUpdate();  // registers the time column, as the frame does
    Fill({{"/m/a.mp3", "", "", 605000}, {"/m/b.mp3", "", "", 599000}, {"/m/c.mp3", "", "", 75000}});
    ClickHeader(CTrackListModel::kLength);  // descending
    ClickHeader(CTrackListModel::kLength);  // ascending
    EXPECT_EQ(Column(CTrackListModel::kLength),
              (std::vector<std::string>{"1:15", "9:59", "10:05"}));
}

TEST_F(WorkingList, LoudnessColumnSortsByItsValueWithUnmeasuredTracksFirst) {
    m_View->OnInitialUpdate();
    Fill({{"/m/a.mp3", "", "", 1000},
          {"/m/b.mp3", "", "", 1000},
          {"/m/c.mp3", "", "", 1000},
          {"/m/d.mp3", "", "", 1000}});
    m_Doc->Tracks().At(0).loudness = -9.04;
    m_Doc->Tracks().At(2).loudness = -23.0;
    m_Doc->Tracks().At(3).loudness = -14.26;
    m_Doc->UpdateViews();
    ClickHeader(CTrackListModel::kLoudness);  // descending
    ClickHeader(CTrackListModel::kLoudness);  // ascending
    EXPECT_EQ(Column(CTrackListModel::kLoudness),
              (std::vector<std::string>{"", "-23.0 LUFS", "-14.3 LUFS", "-9.0 LUFS"}));
}

TEST_F(WorkingList, LetterCaseDoesNotSeparateTextKeysAndEqualRowsKeepTheirOrder) {
    Fill({{"/m/1.mp3", "beta", "", 1000},
          {"/m/2.mp3", "Alpha", "", 1000},
          {"/m/3.mp3", "ALPHA", "", 1000},
          {"/m/4.mp3", "alpha", "", 1000}});
    ClickHeader(CTrackListModel::kTitle);  // descending: beta first, the alphas as they were
    EXPECT_EQ(Column(0), (std::vector<std::string>{"1.mp3", "2.mp3", "3.mp3", "4.mp3"}));
    ClickHeader(CTrackListModel::kTitle);  // ascending
    EXPECT_EQ(Column(0), (std::vector<std::string>{"2.mp3", "3.mp3", "4.mp3", "1.mp3"}));
}

TEST_F(WorkingList, CtrlClickAddsKeysAndMovesARepeatedKeyToTheEnd) {
    Fill({{"/m/1.mp3", "x", "B", 1000},
          {"/m/2.mp3", "y", "A", 1000},
          {"/m/3.mp3", "x", "A", 1000},
          {"/m/4.mp3", "y", "B", 1000}});
    const int title = CTrackListModel::kTitle;
    const int artist = CTrackListModel::kArtist;
    ClickHeader(title);  // title descending: y y x x
    EXPECT_EQ(m_View->SortKeys(), (std::vector<int>{title}));
    ClickHeader(artist, Qt::ControlModifier);  // then artist (descending) within each title
    EXPECT_EQ(m_View->SortKeys(), (std::vector<int>{title, artist}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"y", "y", "x", "x"}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"B", "A", "B", "A"}));
    EXPECT_EQ(m_View->SortHeader()->Arrow(title), 0);  // the first key keeps its arrow
    EXPECT_EQ(m_View->SortHeader()->Arrow(artist), 0);
    ClickHeader(title, Qt::ControlModifier);  // title becomes the last key (ascending now)
    EXPECT_EQ(m_View->SortKeys(), (std::vector<int>{artist, title}));
    EXPECT_EQ(Column(4), (std::vector<std::string>{"B", "B", "A", "A"}));
    EXPECT_EQ(Column(3), (std::vector<std::string>{"x", "y", "x", "y"}));
    EXPECT_EQ(ListPaths(),
              (std::vector<std::string>{"/m/1.mp3", "/m/4.mp3", "/m/3.mp3", "/m/2.mp3"}));
}

TEST_F(WorkingList, AThreeKeySortOrdersLikeThreeStableSortsFromTheLastKey) {
    // Many equal texts in other letter cases, equal times, and rows equal in every key: the
    // one-pass sort over ranks must give the order of sorting by the last key, then each
    // earlier one, with a collator.
    m_View->OnInitialUpdate();
    const char* artists[] = {"abba", "ABBA", "Beta", "beta", "Ärzte", "zed", ""};
    const char* titles[] = {"One", "one", "Two", "two", "10", "9", ""};
    std::vector<std::string> paths;
    std::vector<Row> rows;
    for (int i = 0; i < 300; ++i) {
        paths.push_back("/m/" + std::to_string(i) + ".mp3");
    }
    for (int i = 0; i < 300; ++i) {
        rows.push_back({paths[static_cast<std::size_t>(i)].c_str(), titles[(i * 5) % 7],
                        artists[(i * 3) % 7], 1000 * ((i * 7) % 11)});
    }
    Fill(rows);
    const int artist = CTrackListModel::kArtist;
    const int title = CTrackListModel::kTitle;
    const int length = CTrackListModel::kLength;
    ClickHeader(artist);                       // artist descending
    ClickHeader(title, Qt::ControlModifier);   // title descending, artist as before
    ClickHeader(length, Qt::ControlModifier);  // length descending, the others as before

    // The reference: the rows as shown before the next click, sorted three times.
    auto* model = m_View->TrackModel();
    struct Shown {
        const TrackRecord* record;
        QString title, artist;
        long long length;
    };
    std::vector<Shown> expected;
    for (int r = 0; r < model->rowCount(); ++r) {
        expected.push_back(
            {model->RecordAt(r), model->index(r, title).data().toString(),
             model->index(r, artist).data().toString(),
             CSortableTableModel::NumericKey(model->index(r, length).data().toString())});
    }
    const QCollator collator = CSortableTableModel::TextCollator();
    std::stable_sort(expected.begin(), expected.end(), [&](const Shown& a, const Shown& b) {
        return collator.compare(a.artist, b.artist) < 0;  // the new direction: ascending
    });
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const Shown& a, const Shown& b) { return b.length < a.length; });
    std::stable_sort(expected.begin(), expected.end(), [&](const Shown& a, const Shown& b) {
        return collator.compare(b.title, a.title) < 0;
    });

    ClickHeader(artist, Qt::ControlModifier);  // artist moves to the end, ascending now
    ASSERT_EQ(m_View->SortKeys(), (std::vector<int>{title, length, artist}));
    std::vector<const TrackRecord*> shown;
    for (int r = 0; r < model->rowCount(); ++r) {
        shown.push_back(model->RecordAt(r));
        EXPECT_EQ(shown.back(), expected[static_cast<std::size_t>(r)].record) << "row " << r;
    }
}

TEST_F(WorkingList, ColumnWidthsAreStoredAsACommaListAndShortOrMissingFieldsAutoSize) {
    m_Profile.SetString("ColumnWidths", "LISTSELECTEDTRACK", "176,50,");
    m_View->OnInitialUpdate();
    EXPECT_EQ(m_View->columnWidth(0), 176);
    for (int c = 1; c < 9; ++c) {
        EXPECT_GE(m_View->columnWidth(c), 70) << c;  // 50 and the missing fields: auto size
    }
    m_View->setColumnWidth(2, 123);
    m_View->SaveColumnWidths();
    const std::string stored = m_Profile.GetString("ColumnWidths", "LISTSELECTEDTRACK", "");
    EXPECT_EQ(std::count(stored.begin(), stored.end(), ','), 9);
    EXPECT_EQ(stored.back(), ',');
    EXPECT_EQ(stored.rfind("176,", 0), 0u);
    EXPECT_NE(stored.find(",123,"), std::string::npos);
}

TEST_F(WorkingList, WithoutStoredWidthsTheColumnsFitTheirTitleAndArrow) {
    m_View->OnInitialUpdate();
    for (int c = 0; c < 9; ++c) {
        EXPECT_GE(m_View->columnWidth(c), CMultiColumnSortListView::kMinAutoWidth) << c;
        EXPECT_GE(m_View->columnWidth(c), m_View->horizontalHeader()->sectionSizeHint(c)) << c;
    }
}

TEST_F(WorkingList, RepeatedInitialUpdateKeepsNineColumns) {
    Fill({{"/m/a.mp3", "", "", 1000}});
    m_View->OnInitialUpdate();
    m_View->OnInitialUpdate();
    EXPECT_EQ(m_View->GetColumnCount(), 9);
    EXPECT_EQ(m_View->TrackModel()->rowCount(), 1);
}

TEST_F(WorkingList, DeleteRemovesTheSelectedRowsAndSelectsTheFirstRemovedPosition) {
    Fill({{"/m/1.mp3", "", "", 1000},
          {"/m/2.mp3", "", "", 1000},
          {"/m/3.wav", "", "", 1000},
          {"/m/4.mp3", "", "", 1000},
          {"/m/5.mp3", "", "", 1000}});
    QSignalSpy counters(m_View.get(), &CListSelectedTracksListView::countersChanged);
    QTest::keyClick(m_View.get(), Qt::Key_Delete);  // nothing selected: nothing changes
    EXPECT_EQ(m_Doc->GetTrackCount(), 5);
    auto* selection = m_View->selectionModel();
    auto* model = m_View->TrackModel();
    selection->select(model->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(model->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QTest::keyClick(m_View.get(), Qt::Key_Delete);
    EXPECT_EQ(ListPaths(), (std::vector<std::string>{"/m/1.mp3", "/m/3.wav", "/m/5.mp3"}));
    EXPECT_EQ(m_View->SelectedIndices(), (std::vector<std::size_t>{1}));
    ASSERT_FALSE(counters.isEmpty());
    EXPECT_EQ(counters.last(), (QList<QVariant>{3, 2, 1}));
    QTest::keyClick(m_View.get(), Qt::Key_A);  // A selects every row
    EXPECT_EQ(m_View->SelectedIndices().size(), 3u);
}

TEST_F(WorkingList, DroppedFilesAndFoldersAreAdded) {
    CTempDir dir;
    test::WriteFile(dir.File("one.mp3"), test::GoodMp3());
    test::WriteFile(dir.File("notes.txt"), {1, 2, 3});
    std::filesystem::create_directory(dir.File("album"));
    test::WriteFile(dir.File("album/two.MP3"), test::GoodMp3());
    test::WriteFile(dir.File("album/three.mp3"), test::GoodMp3());
    m_Doc->SetReadRunner(test::ReadWithoutDialog);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(dir.File("one.mp3"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.File("notes.txt"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.File("album")))});
    m_View->show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_View->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_View->viewport(), &drop);
    ASSERT_TRUE(test::WaitFor([&] { return m_Doc->GetTrackCount() == 3; }));
    EXPECT_EQ(ListPaths(),
              (std::vector<std::string>{dir.File("one.mp3"), dir.File("album/three.mp3"),
                                        dir.File("album/two.MP3")}));
}

// The rows change one by one, never by a reset: adding inserts at the end, removing removes
// the rows that went, a sort moves the rows, and a run's verdicts repaint the rows it touched.
// The selected tracks stay selected through a sort and through the removal of other rows.
TEST_F(WorkingList, RowsChangeInPlaceAndTheSelectionFollowsItsTracks) {
    m_Doc->SetReadRunner(test::ReadWithoutDialog);
    auto* model = m_View->TrackModel();
    QSignalSpy resets(model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    m_Doc->AddTracks({"/m/c.mp3", "/m/a.mp3", "/m/e.mp3"});
    m_Doc->AddTracks({"/m/b.mp3", "/m/d.mp3"});
    ASSERT_EQ(inserted.count(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 3);  // first row of the second add
    EXPECT_EQ(inserted[1][2].toInt(), 4);
    const auto selectedPaths = [&] {
        std::vector<std::string> out;
        for (std::size_t row : m_View->SelectedIndices()) {
            out.push_back(model->RecordAt(static_cast<int>(row))->path);
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    const auto currentPath = [&] {
        const TrackRecord* record = model->RecordAt(m_View->currentIndex().row());
        return record != nullptr ? record->path : std::string();
    };
    auto* selection = m_View->selectionModel();
    selection->select(model->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->setCurrentIndex(model->index(3, 0),
                               QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(selectedPaths(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));

    ClickHeader(CTrackListModel::kFile);  // descending: e d c b a
    EXPECT_EQ(ListPaths(), (std::vector<std::string>{"/m/e.mp3", "/m/d.mp3", "/m/c.mp3", "/m/b.mp3",
                                                     "/m/a.mp3"}));
    EXPECT_EQ(selectedPaths(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(currentPath(), "/m/b.mp3");

    m_Doc->RemoveTracksAt({0, 2});  // e and c, neither selected: two ranges
    EXPECT_EQ(removed.count(), 2);
    EXPECT_EQ(ListPaths(), (std::vector<std::string>{"/m/d.mp3", "/m/b.mp3", "/m/a.mp3"}));
    EXPECT_EQ(selectedPaths(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(currentPath(), "/m/b.mp3");

    // A run over d alone: its row is read again, the others are not.
    m_Doc->SetJobRunner([](CSonvaraDoc::Job, const std::vector<TrackRecord*>& tracks) {
        for (TrackRecord* record : tracks) {
            record->checkState = AnalysedCorrupt;
        }
    });
    changed.clear();
    m_Doc->RunJobOnSelected(CSonvaraDoc::Job::kAnalyze, {0});
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toModelIndex().row(), 0);
    EXPECT_EQ(changed[0][1].toModelIndex().row(), 0);
    EXPECT_EQ(model->index(0, CTrackListModel::kCheck).data().toString(), "Corrupt");
    EXPECT_EQ(selectedPaths(), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_EQ(resets.count(), 0);
}

}  // namespace
}  // namespace sonvara
