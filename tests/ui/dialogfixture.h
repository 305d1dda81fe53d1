#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "jobs/runhost.h"
#include "support/testfiles.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "tracks/trackrecord.h"
#include "ui/helpcontext.h"
#include "ui/runservice.h"

namespace sonvara::test {

// Generated tracks, settings in memory, and a watchdog that ends a hung dialog test.
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Watchdog.setSingleShot(true);
        QObject::connect(&m_Watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the dialog did not close";
            std::fflush(nullptr);
            std::_Exit(3);
        });
        m_Watchdog.start(180000);
        settings.SetTrackDir(out);
    }

    TrackRecord& Add(const std::string& path, std::int32_t checkState = 0) {
        records.push_back(std::make_unique<TrackRecord>());
        records.back()->path = path;
        records.back()->checkState = checkState;
        return *records.back();
    }
    std::vector<TrackRecord*> List() const {
        std::vector<TrackRecord*> list;
        for (const auto& r : records) {
            list.push_back(r.get());
        }
        return list;
    }

    CTempDir dir;
    std::string out = dir.File("out");
    CMemoryProfileStore store;
    CSettings settings{store};
    std::vector<std::unique_ptr<TrackRecord>> records;
    CRunService runs;
    CHelpContext help;  // the dialogs' help-context number, this test's own

private:
    QTimer m_Watchdog;
};

// Forwards everything to the dialog's own host, and holds the worker before the check of
// file number `holdAt` (counted by SetCurrentFile) until Release() — after the run looked at
// the stop request for that file, so a Cancel now lets the file run to its end.
class CHoldingHost : public IRunHost {
public:
    // holdPercent >= 0: hold at the first progress report of that file at or above it instead
    // (during the stage holdStage, when one is given).
    CHoldingHost(IRunHost& host, int holdAt, int holdPercent = -1, std::string holdStage = {})
        : m_Host(host), m_HoldAt(holdAt), m_HoldPercent(holdPercent), m_HoldStage(holdStage) {}

    bool IsAborted() override { return m_Host.IsAborted(); }
    void SetProgress(int p) override {
        m_Host.SetProgress(p);
        if (m_HoldPercent >= 0 && m_Files == m_HoldAt && p >= m_HoldPercent &&
            (m_HoldStage.empty() || m_HoldStage == m_Stage)) {
            Hold();
        }
    }
    void SetCurrentFile(const std::string& path) override {
        if (!path.empty()) {
            ++m_Files;
        }
        m_Host.SetCurrentFile(path);
    }
    void SetStage(const std::string& word) override {
        m_Host.SetStage(word);
        m_Stage = word;
        if (m_HoldPercent < 0 && m_Files == m_HoldAt && !word.empty()) {
            Hold();
        }
    }
    void ClearResults() override { m_Host.ClearResults(); }
    void AddResult(const std::string& t, std::uint32_t c) override { m_Host.AddResult(t, c); }
    void ScrollToEnd() override { m_Host.ScrollToEnd(); }
    Answer AskOverwrite(const std::string& q) override { return m_Host.AskOverwrite(q); }
    void ShowMessage(const std::string& t, MessageIcon i) override { m_Host.ShowMessage(t, i); }
    void ReportError(const std::string& p, const std::string& r) override {
        m_Host.ReportError(p, r);
    }
    void UpdateTrack(const TrackUpdate& u) override { m_Host.UpdateTrack(u); }
    void RunEnded() override { m_Host.RunEnded(); }

    bool Held() {
        std::lock_guard lock(m_Mutex);
        return m_Held;
    }
    void Release() {
        std::lock_guard lock(m_Mutex);
        m_Released = true;
        m_Changed.notify_all();
    }

private:
    void Hold() {
        std::unique_lock lock(m_Mutex);
        m_Held = true;
        m_Changed.notify_all();
        m_Changed.wait(lock, [&] { return m_Released; });
    }

    IRunHost& m_Host;
    int m_HoldAt;
    int m_HoldPercent;
    std::string m_HoldStage;
    std::string m_Stage;  // the worker's own
    int m_Files = 0;      // the worker's own
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Held = false;
    bool m_Released = false;
};

}  // namespace sonvara::test
