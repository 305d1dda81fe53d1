// The working list at 10 000, 100 000 and 1 000 000 records (file reading replaced by an
// injected reader): adding as many new paths again, recounting, reordering by a shuffled path
// list, and writing the report.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tracks/tracklist.h"

namespace {

using namespace sonvara;

std::vector<std::string> Paths(std::int64_t n, const char* prefix) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(n));
    for (std::int64_t i = 0; i < n; ++i) {
        paths.push_back(std::string("/home/user/Music/") + prefix + "/Artist " +
                        std::to_string(i % 977) + "/Track " + std::to_string(i) +
                        (i % 5 == 0 ? ".wav" : ".mp3"));
    }
    return paths;
}

AddOptions Injected() {
    AddOptions options;
    options.reader = [](const std::string&) {
        TrackInfo info;
        info.lengthMs = 215000;
        info.title = "A title";
        info.artist = "An artist";
        info.album = "An album";
        return info;
    };
    return options;
}

void BM_AddNewPathsToAFullList(benchmark::State& state) {
    const auto old = Paths(state.range(0), "old");
    const auto fresh = Paths(state.range(0), "new");
    for (auto _ : state) {
        state.PauseTiming();
        CTrackList list;
        list.AddTracks(old, Injected());
        state.ResumeTiming();
        list.AddTracks(fresh, Injected());
        benchmark::DoNotOptimize(list.GetTrackCount());
    }
}

void BM_Recount(benchmark::State& state) {
    CTrackList list;
    list.AddTracks(Paths(state.range(0), "a"), Injected());
    for (auto _ : state) {
        list.RecountTypes();
        benchmark::DoNotOptimize(list.GetMp3Count());
    }
}

void BM_ReorderByShuffledPaths(benchmark::State& state) {
    CTrackList list;
    auto paths = Paths(state.range(0), "a");
    list.AddTracks(paths, Injected());
    std::mt19937 rng(1);
    std::shuffle(paths.begin(), paths.end(), rng);
    for (auto _ : state) {
        list.ReorderByPaths(paths);
        benchmark::DoNotOptimize(list.GetTrackCount());
    }
}

void BM_WriteReport(benchmark::State& state) {
    CTrackList list;
    list.AddTracks(Paths(state.range(0), "a"), Injected());
    const std::string file = "/tmp/sonvara-bench-report.txt";
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.WriteReport(file, nullptr));
    }
    std::remove(file.c_str());
}

BENCHMARK(BM_AddNewPathsToAFullList)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Recount)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReorderByShuffledPaths)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteReport)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
