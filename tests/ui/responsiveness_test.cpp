// How the analysis dialog keeps up with a long run: the longest pause of the UI thread's event
// loop, how often the progress bar and the results list changed. Prints figures; asserts no
// time. Skipped unless SONVARA_MEASURE is set (it writes 10 000 files).
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProgressBar>
#include <QtTest/QTest>
#include <algorithm>
#include <cstdio>

#include "support/mpegframes.h"
#include "ui/colorlistbox.h"
#include "ui/dialogfixture.h"
#include "ui/dlgmp3analyzing.h"

namespace sonvara::test {
namespace {

TEST_F(DialogTest, MeasureTenThousandTrackAnalysis) {
    if (qEnvironmentVariableIsEmpty("SONVARA_MEASURE")) {
        GTEST_SKIP() << "SONVARA_MEASURE is not set";
    }
    const int n = 10000;
    const Bytes good = MakeStream(FrameShape{}, 12);
    for (int i = 0; i < n; ++i) {
        const std::string path = dir.File("t" + std::to_string(i) + ".mp3");
        WriteFile(path, good);
        Add(path);
    }
    CDlgMP3Analyzing dialog(runs, settings, help);
    int batches = 0;
    QObject::connect(dialog.Results()->model(), &QAbstractItemModel::rowsInserted,
                     [&] { ++batches; });
    int progressChanges = 0;
    QObject::connect(dialog.Progress(), &QProgressBar::valueChanged, [&] { ++progressChanges; });
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        ++ticks;
    });
    clock.start();
    tick.start(5);
    dialog.RunOnTracks(List());
    const qint64 total = clock.elapsed();
    EXPECT_EQ(dialog.Results()->GetCount(), 2 * n);
    std::printf(
        "analysis of %d tracks: %lld ms; UI ticks %d, longest gap %lld ms; "
        "list insert batches %d; progress bar changes %d (%d per second)\n",
        n, static_cast<long long>(total), ticks, static_cast<long long>(longest), batches,
        progressChanges, static_cast<int>(total > 0 ? progressChanges * 1000 / total : 0));
}

}  // namespace
}  // namespace sonvara::test
