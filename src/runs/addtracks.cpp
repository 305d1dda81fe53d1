#include "runs/addtracks.h"

#include <algorithm>
#include <atomic>
#include <thread>

#include "jobs/runhost.h"

namespace sonvara {

std::vector<ReadTrack> ReadTracks(const std::vector<std::string>& newPaths, bool readTags,
                                  IRunHost& host, const TrackReader& reader, unsigned threads) {
    // The host's stop request, read before each file as a flag.
    std::atomic<bool> stop{false};
    AddOptions options;
    options.readTags = readTags;
    options.cancel = &stop;
    options.reader = reader;
    options.threads = threads;
    options.currentFile = [&](const std::string& path) {
        host.SetCurrentFile(path);
        if (host.IsAborted()) {
            stop = true;
        }
    };
    options.progress = [&](int percent) { host.SetProgress(percent); };
    options.strings = &host.Strings();
    std::vector<ReadTrack> read = ReadTrackFiles(newPaths, options);
    host.RunEnded();
    return read;
}

unsigned ReaderThreads() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
}

}  // namespace sonvara
