// The window at scale, offscreen: the working list with N records (rebuild, a sort by each
// column, a three-key sort, scrolling, memory per track), and adding the files of a folder
// through the read-files dialog. Prints one line per figure; bench/window_scale.sh runs it.
//   sonvara-windowbench list [N]          (default 100000)
//   sonvara-windowbench add FOLDER        (every *.mp3 in FOLDER, sorted)
//   sonvara-windowbench floor FOLDER      (only reading every byte of the same files)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/binaryfile.h"
#include "tracks/profilestore.h"
#include "tracks/settings.h"
#include "ui/dialogasker.h"
#include "ui/fileicons.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistmodel.h"
#include "ui/tracklistview.h"

namespace {

using namespace sonvara;

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

std::string Word(std::mt19937& rng, int minLength, int maxLength) {
    static const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ";
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<int> pick(0, 52);
    std::string out;
    const int n = length(rng);
    for (int i = 0; i < n; ++i) {
        out += letters[pick(rng)];
    }
    return out;
}

// The machine is shared: the figures are the CPU time of this thread (what the window would
// take on an idle machine); wall time is printed beside them where it matters.
class CCpuTimer {
public:
    CCpuTimer() { restart(); }
    void start() { restart(); }
    void restart() {
        m_Cpu = Now(CLOCK_THREAD_CPUTIME_ID);
        m_Wall = Now(CLOCK_MONOTONIC);
    }
    double CpuMs() const { return (Now(CLOCK_THREAD_CPUTIME_ID) - m_Cpu) / 1e6; }
    double WallMs() const { return (Now(CLOCK_MONOTONIC) - m_Wall) / 1e6; }

private:
    static double Now(clockid_t clock) {
        timespec ts{};
        clock_gettime(clock, &ts);
        return ts.tv_sec * 1e9 + ts.tv_nsec;
    }
    double m_Cpu = 0;
    double m_Wall = 0;
};

double Ms(const CCpuTimer& t) {
    return t.CpuMs();
}

double ProcessCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int ListBench(int n) {
    CMemoryProfileStore profile;
    CSettings settings(profile);
    CRunService runs;
    CDialogAsker asker(EnglishStrings());  // nothing here asks
    CSonvaraDoc doc(settings, runs, asker);
    CFileIconCache icons;
    CListSelectedTracksListView view(doc, icons);
    view.resize(1000, 700);
    view.OnInitialUpdate();
    view.show();
    QApplication::processEvents();
    const long before = ResidentKiB();

    std::mt19937 rng(7);
    std::uniform_int_distribution<int> ms(20000, 900000);
    std::uniform_int_distribution<int> state(0, 2);
    std::vector<ReadTrack> read;
    read.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        ReadTrack entry;
        const std::string artist = Word(rng, 5, 20);
        const std::string album = Word(rng, 5, 25);
        const std::string title = Word(rng, 5, 30);
        entry.path = "/home/user/Music/" + artist + "/" + album + "/" + std::to_string(i % 20 + 1) +
                     " " + title + (i % 7 ? ".mp3" : ".wav");
        entry.info.title = title;
        entry.info.artist = artist;
        entry.info.album = album;
        entry.info.lengthMs = ms(rng);
        read.push_back(std::move(entry));
    }
    emit doc.tracksAboutToChange();
    doc.Tracks().AppendRead(std::move(read), true);
    for (int i = 0; i < n; ++i) {
        doc.Tracks().At(static_cast<std::size_t>(i)).checkState = state(rng);
    }

    CCpuTimer t;
    t.start();
    doc.UpdateViews();
    view.repaint();
    std::printf("rebuild of %d rows (rows inserted + first paint): %.1f ms\n", n, Ms(t));
    const long after = ResidentKiB();
    std::printf("memory: %.0f bytes per track (resident, list and view)\n",
                (after - before) * 1024.0 / n);

    // Sorts: wall time (the key making runs on every core), what the user waits for.
    for (int column = 0; column < CTrackListModel::kColumnCount; ++column) {
        t.restart();
        view.SortColumn(column, false);
        const double rowsMs = t.WallMs();
        doc.ReorderByRecords(view.TrackModel()->RecordsInOrder());
        const double backMs = t.WallMs() - rowsMs;
        view.repaint();
        const double sortMs = t.WallMs();
        std::printf("sort by %-8s %.1f ms (rows %.1f, order written back %.1f, paint %.1f)\n",
                    view.TrackModel()->ColumnTitle(column).toStdString().c_str(), sortMs, rowsMs,
                    backMs, sortMs - rowsMs - backMs);
    }
    view.SortColumn(CTrackListModel::kArtist, false);
    view.SortColumn(CTrackListModel::kAlbum, true);
    t.restart();
    view.SortColumn(CTrackListModel::kLength, true);
    doc.ReorderByRecords(view.TrackModel()->RecordsInOrder());
    view.repaint();
    std::printf("three-key sort (Artist, Album, then Ctrl+click on Length): %.1f ms\n", t.WallMs());
    t.restart();
    view.SortColumn(CTrackListModel::kArtist, false);
    view.SortColumn(CTrackListModel::kAlbum, true);
    view.SortColumn(CTrackListModel::kLength, true);
    doc.ReorderByRecords(view.TrackModel()->RecordsInOrder());
    view.repaint();
    std::printf("the three clicks that build it (Artist, Ctrl Album, Ctrl Length): %.1f ms\n",
                t.WallMs());

    // Scrolling: a page at a time through the whole list, each step painted.
    QScrollBar* bar = view.verticalScrollBar();
    double worst = 0;
    int steps = 0;
    CCpuTimer total;
    total.start();
    for (int value = 0; value <= bar->maximum() && steps < 2000; value += bar->pageStep() * 25) {
        t.restart();
        bar->setValue(value);
        view.viewport()->repaint();
        worst = std::max(worst, Ms(t));
        ++steps;
    }
    std::printf("scrolling: %d page jumps, slowest paint %.1f ms, mean %.2f ms\n", steps, worst,
                Ms(total) / steps);

    // Removing every hundredth track: as many row ranges as tracks, each its own removal.
    std::vector<std::size_t> every;
    for (std::size_t i = 0; i < doc.Tracks().GetTrackCount(); i += 100) {
        every.push_back(i);
    }
    t.restart();
    doc.RemoveTracksAt(every);
    view.repaint();
    std::printf("removing every hundredth track (%zu ranges): %.1f ms\n", every.size(), Ms(t));
    return 0;
}

// Every *.mp3 in the folder, sorted by name.
std::vector<std::string> Mp3Paths(const QString& folder) {
    std::vector<std::string> paths;
    for (const QString& name : QDir(folder).entryList({"*.mp3"}, QDir::Files, QDir::Name)) {
        paths.push_back(QDir(folder).filePath(name).toStdString());
    }
    return paths;
}

int AddBench(const QString& folder) {
    CMemoryProfileStore profile;
    CSettings settings(profile);
    CRunService runs;
    CDialogAsker asker(EnglishStrings());  // nothing here asks
    CSonvaraDoc doc(settings, runs, asker);
    const std::vector<std::string> paths = Mp3Paths(folder);
    CCpuTimer t;
    const double cpu0 = ProcessCpuMs();
    t.start();
    doc.AddTracks(paths);  // the read-files dialog, modal, closing by its timer
    const double ms = Ms(t);
    std::printf("added %d of %zu files through the read-files dialog: %.2f s (%.2f ms per file)\n",
                doc.GetTrackCount(), paths.size(), t.WallMs() / 1000.0, t.WallMs() / paths.size());
    std::printf("process CPU %.2f s (UI thread %.2f s)\n", (ProcessCpuMs() - cpu0) / 1000.0,
                ms / 1000.0);
    if (doc.GetTrackCount() > 0) {
        const TrackRecord& r = doc.Tracks().At(0);
        std::printf("first: %s | %s | %s | %s\n", r.lengthText.c_str(), r.title.c_str(),
                    r.artist.c_str(), r.album.c_str());
    }
    return doc.GetTrackCount() == static_cast<int>(paths.size()) ? 0 : 1;
}

// The floor under adding files whose every frame is counted: the kernel copying every byte of
// them into the process, on two threads (the cores of the machines this is measured on), each
// with one buffer as the frame count has, and nothing done with the bytes.
int FloorBench(const QString& folder) {
    const std::vector<std::string> paths = Mp3Paths(folder);
    CCpuTimer t;
    const double cpu0 = ProcessCpuMs();
    t.start();
    std::vector<std::thread> threads;
    std::vector<std::uint64_t> bytes(2, 0);
    for (std::size_t k = 0; k < 2; ++k) {
        threads.emplace_back([&paths, &bytes, k] {
            std::vector<unsigned char> buffer(128 * 1024);
            for (std::size_t i = k; i < paths.size(); i += 2) {
                CBinaryFile file;
                if (file.OpenRead(paths[i])) {
                    std::size_t n = 0;
                    while ((n = file.Read(buffer.data(), buffer.size())) > 0) {
                        bytes[k] += n;
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::printf(
        "reading every byte of the %zu files (%.1f GB, two threads): %.2f s, process CPU "
        "%.2f s\n",
        paths.size(), static_cast<double>(bytes[0] + bytes[1]) / 1e9, t.WallMs() / 1000.0,
        (ProcessCpuMs() - cpu0) / 1000.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "list";
    if (mode == "add" && argc > 2) {
        return AddBench(QString::fromLocal8Bit(argv[2]));
    }
    if (mode == "floor" && argc > 2) {
        return FloorBench(QString::fromLocal8Bit(argv[2]));
    }
    return ListBench(argc > 2 ? std::atoi(argv[2]) : 100000);
}
