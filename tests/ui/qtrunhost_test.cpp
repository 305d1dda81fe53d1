// The window's run host on its own: what the worker reports reaches the view on the UI thread,
// in order and in batches; questions block only the worker.
#include "ui/qtrunhost.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <QtTest/QTest>
#include <atomic>
#include <functional>
#include <future>
#include <thread>

#include "ui/modalanswerer.h"

namespace sonvara {
namespace {

class CFakeView : public IRunView {
public:
    void ShowCurrentFile(const QString& path) override { Record("file " + path); }
    void ShowStage(const QString& word) override { Record("stage " + word); }
    void ClearResults() override { Record("clear"); }
    void AddResults(std::vector<std::pair<QString, std::uint32_t>>&& lines) override {
        ++batches;
        for (auto& [text, colour] : lines) {
            Record(QStringLiteral("line %1 %2").arg(text).arg(colour));
        }
    }
    void ScrollResultsToEnd() override { Record("scroll"); }
    void ShowProgress(int percent) override {
        progress = percent;
        ++progressShown;
    }
    void ApplyUpdate(const TrackUpdate& u) override {
        Record(QStringLiteral("update %1 %2").arg(u.index).arg(u.checkState));
    }
    void OnRunEnded() override { Record("ended"); }
    QWidget* MessageParent() override { return &parent; }

    void Record(const QString& what) {
        EXPECT_EQ(QThread::currentThread(), qApp->thread());
        calls << what;
    }
    QStringList calls;
    int batches = 0;
    int progress = -1;
    int progressShown = 0;
    QWidget parent;
};

// Runs the UI thread's events until the condition holds (false after 10 s). Qt's own wait
// macros only log inside GoogleTest, so the tests assert on this instead.
bool Eventually(const std::function<bool()>& condition) {
    for (int waited = 0; waited < 10000; waited += 5) {
        if (condition()) {
            return true;
        }
        QTest::qWait(5);
    }
    return condition();
}

TEST(QtRunHost, DisplayCallsArriveInOrderOnTheUiThreadInOneBatch) {
    CFakeView view;
    CQtRunHost host(view);
    std::thread worker([&] {
        host.ClearResults();
        for (int i = 0; i < 1000; ++i) {
            host.SetCurrentFile("/m/" + std::to_string(i) + ".mp3");
            for (int p = 0; p <= 100; ++p) {
                host.SetProgress(p);  // a report per frame
            }
            host.AddResult("/m/" + std::to_string(i) + ".mp3", i % 2 ? 255 : 0);
            host.UpdateTrack({static_cast<std::size_t>(i), 1, 0});
            host.ScrollToEnd();
        }
        host.SetProgress(42);
        host.RunEnded();
    });
    worker.join();
    EXPECT_TRUE(view.calls.isEmpty());  // nothing touched the view from the worker
    QApplication::processEvents();      // the end of the run is shown at once
    // One batch: the records' states in order, then the lines, the scroll, the last file.
    ASSERT_EQ(view.calls.size(), 1 + 1000 + 1000 + 1 + 1 + 1);
    EXPECT_EQ(view.calls[0], "clear");
    EXPECT_EQ(view.calls[1], "update 0 1");
    EXPECT_EQ(view.calls[1000], "update 999 1");
    EXPECT_EQ(view.calls[1001], "line /m/0.mp3 0");
    EXPECT_EQ(view.calls[2000], "line /m/999.mp3 255");
    EXPECT_EQ(view.calls[2001], "scroll");
    EXPECT_EQ(view.calls[2002], "file /m/999.mp3");
    EXPECT_EQ(view.calls.back(), "ended");
    EXPECT_EQ(view.batches, 1);
    // 101 000 progress reports became one shown value: the last one, before the end.
    EXPECT_EQ(view.progress, 42);
    EXPECT_EQ(view.progressShown, 1);
    EXPECT_EQ(host.ProgressUpdates(), 1);
}

TEST(QtRunHost, ConsecutiveLinesReachTheListAsOneBatch) {
    CFakeView view;
    CQtRunHost host(view);
    std::thread worker([&] {
        for (int i = 0; i < 5000; ++i) {
            host.AddResult("line", 0);
        }
        host.ScrollToEnd();
    });
    worker.join();
    EXPECT_TRUE(Eventually([&] { return view.calls.size() == 5001; }));  // at the next tick
    EXPECT_EQ(view.batches, 1);
}

TEST(QtRunHost, AQuestionBlocksTheWorkerNotTheUiThread) {
    CFakeView view;
    CQtRunHost host(view);
    QString asked;
    test::CModalAnswerer<QMessageBox> no([&](QMessageBox* box) {
        asked = box->text();
        EXPECT_EQ(box->parentWidget(), &view.parent);
        test::Press(box, QMessageBox::No);
    });
    auto answer = std::async(std::launch::async, [&] { return host.AskOverwrite("replace?"); });
    while (answer.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QTest::qWait(5);  // the UI thread keeps running its events
    }
    EXPECT_EQ(answer.get(), Answer::kNo);
    EXPECT_EQ(asked, "replace?");
    EXPECT_FALSE(host.IsQuestionOpen());
}

TEST(QtRunHost, AbortAnswersAnOpenQuestionWithCancelAndLaterOnesAtOnce) {
    CFakeView view;
    CQtRunHost host(view);
    auto answer = std::async(std::launch::async, [&] { return host.AskOverwrite("replace?"); });
    ASSERT_TRUE(Eventually([&] { return host.IsQuestionOpen(); }));
    EXPECT_FALSE(host.IsAborted());
    host.Abort();
    EXPECT_TRUE(host.IsAborted());
    EXPECT_EQ(answer.get(), Answer::kCancel);
    EXPECT_TRUE(Eventually([&] { return !host.IsQuestionOpen(); }));
    // Once stopped, an overwrite question is answered without a box.
    auto later = std::async(std::launch::async, [&] { return host.AskOverwrite("again?"); });
    EXPECT_EQ(later.get(), Answer::kCancel);
    QApplication::processEvents();
    EXPECT_FALSE(host.IsQuestionOpen());
}

TEST(QtRunHost, AMessageAfterTheStopIsStillShownUntilDetached) {
    CFakeView view;
    CQtRunHost host(view);
    host.Abort();
    int shown = 0;
    test::CModalAnswerer<QMessageBox> ok([&](QMessageBox* box) {
        ++shown;
        EXPECT_EQ(box->text(), "Not enough disk free space");
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        test::Press(box, QMessageBox::Ok);
    });
    auto done = std::async(std::launch::async, [&] {
        host.ShowMessage("Not enough disk free space", MessageIcon::kStop);
    });
    while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        QTest::qWait(5);
    }
    EXPECT_EQ(shown, 1);
    // Detached (the dialog is going away): nothing waits any more.
    host.Detach();
    std::thread([&] { host.ShowMessage("late", MessageIcon::kInformation); }).join();
    EXPECT_EQ(host.AskOverwrite("on the UI thread, stopped"), Answer::kCancel);
}

}  // namespace
}  // namespace sonvara
