// Runs one conversion job the way the conversion run does, for timing against mpg123, lame
// and sox, and counts heap allocations during the block loop:
//   sonvara-jobbench mp3towav MP3 WAV
//   sonvara-jobbench wavtomp3 WAV MP3        (128 kbit/s, quality 5)
//   sonvara-jobbench normalize WAV DIR       (normalises WAV in place, temporary file in DIR)
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "audio/fileexception.h"
#include "convert/encodingjob.h"
#include "convert/mp3towavjob.h"
#include "convert/normalize.h"
#include "jobs/progresssink.h"

namespace {
std::atomic<long> g_Allocations{0};
std::atomic<bool> g_Counting{false};

// Counts the allocations made while the block loop runs.
class CCountingSink : public sonvara::IProgressSink {
public:
    bool IsAborted() override { return false; }
    void SetProgress(int) override {
        ++blocks;
        g_Counting = true;  // from the first block on
    }
    long blocks = 0;
};
}  // namespace

void* operator new(std::size_t size) {
    if (g_Counting.load(std::memory_order_relaxed)) {
        ++g_Allocations;
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

int main(int argc, char** argv) {
    using namespace sonvara;
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s mp3towav|wavtomp3|normalize IN OUT\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    CCountingSink sink;
    try {
        if (mode == "mp3towav") {
            CMp3ToWavJob job;
            job.Setup(argv[2], argv[3], 0);
            job.Run(&sink);
            g_Counting = false;
            job.Close();
        } else if (mode == "wavtomp3") {
            CWavToMp3Job job;
            job.Setup(argv[2], argv[3], 2, 0, false);
            job.Run(&sink);
            g_Counting = false;
            job.Close();
        } else {
            std::string error;
            if (!NormalizeFile(argv[2], 0, &sink, nullptr, &error)) {
                std::fprintf(stderr, "%s\n", error.c_str());
                return 1;
            }
            g_Counting = false;
        }
    } catch (const CFileException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("%ld blocks, %ld allocations after the first block\n", sink.blocks,
                g_Allocations.load());
    return 0;
}
