// Reading files in place for the frame walks: a mapped file gives what the buffered reads give,
// and a file cut short while it is mapped and walked is a read error with its reason, on one
// thread or several at once, never a crash.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/bytereader.h"
#include "platform/file.h"
#include "platform/mappedfile.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kCutShort = "the file was cut short while it was read";

// size bytes of a pattern without the byte 0x5A, with a 0xFF every 997 bytes.
Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = i % 997 == 0 ? 0xFF : static_cast<std::uint8_t>(i * 7 % 89);
    }
    return bytes;
}

// Reads the whole file with every kind of step and notes what each step gave.
void TraceWalk(CByteReader& in, std::vector<std::int64_t>& trace) {
    for (int step = 0;; ++step) {
        std::int64_t got = 0;
        switch (step % 5) {
            case 0: got = in.ReadByte(); break;
            case 1: {
                unsigned char block[300] = {};
                got = static_cast<std::int64_t>(in.ReadBlock(block, sizeof block)) * 1000 +
                      block[0] + block[299];
                break;
            }
            case 2: got = in.SkipUntilByte(0xFF); break;
            case 3: got = in.SeekForward(3000 + step) ? 1 : 0; break;
            default: got = in.ReadSkip(40000 + step); break;
        }
        trace.push_back(got);
        if (got == -1) {
            return;
        }
    }
}

// Reads every byte to the end of the file, counting them in passed.
void ReadAll(CByteReader& in, volatile std::int64_t& passed) {
    unsigned char block[4096];
    while (const std::size_t n = in.ReadBlock(block, sizeof block)) {
        passed = passed + static_cast<std::int64_t>(n);
    }
}

class MappedReading : public ::testing::Test {
protected:
    std::string MakeFile(const std::string& name, std::size_t size) {
        const std::string path = m_Dir.File(name);
        WriteFile(path, Pattern(size));
        return path;
    }

    CTempDir m_Dir;
};

TEST_F(MappedReading, GivesWhatTheBufferedReadsGive) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096},
                                   std::size_t{300001}, std::size_t{2u << 20}}) {
        const std::string path = MakeFile("f.bin", size);
        CByteReader mapped;
        CByteReader read(4096);
        ASSERT_TRUE(mapped.Open(path, ReadMethod::kMap));
        ASSERT_TRUE(read.Open(path, ReadMethod::kCopy));
        EXPECT_EQ(mapped.IsMapped(), size > 0) << size;  // an empty file is read
        EXPECT_FALSE(read.IsMapped());
        std::vector<std::int64_t> fromMap;
        std::vector<std::int64_t> fromReads;
        auto walkMapped = [&] { TraceWalk(mapped, fromMap); };
        mapped.Walk(walkMapped);
        TraceWalk(read, fromReads);
        EXPECT_EQ(fromMap, fromReads) << size;
        EXPECT_FALSE(mapped.HasError());
        EXPECT_FALSE(read.HasError());
    }
    // What cannot be mapped is refused as before, or read.
    ASSERT_EQ(::mkfifo(m_Dir.File("pipe").c_str(), 0644), 0);
    CByteReader in;
    EXPECT_FALSE(in.Open(m_Dir.File("pipe"), ReadMethod::kMap));
    EXPECT_FALSE(in.Open(m_Dir.Path(), ReadMethod::kMap));
    EXPECT_EQ(in.ErrorText(), "Is a directory");
}

// The file loses its end after it was opened and before the walk gets there, as when another
// program truncates it: the walk stops at the lost part with the reason, mapped or read, on
// several threads at once while others walk whole files.
TEST_F(MappedReading, AFileCutShortUnderTheWalkIsAReadErrorWithItsReason) {
    constexpr std::size_t kSize = 3u << 20;
    constexpr std::size_t kCut = 100000;
    for (const ReadMethod method : {ReadMethod::kMap, ReadMethod::kCopy}) {
        const bool map = method == ReadMethod::kMap;
        constexpr int kThreads = 6;
        std::vector<std::string> paths;
        for (int t = 0; t < kThreads; ++t) {
            paths.push_back(MakeFile("t" + std::to_string(t), kSize));
        }
        std::vector<std::int64_t> passed(kThreads, 0);
        std::vector<std::string> errors(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                CByteReader in;
                if (!in.Open(paths[t], method) || in.IsMapped() != map) {
                    errors[t] = "not opened as asked";
                    return;
                }
                if (t % 2 == 0) {
                    fs::resize_file(paths[t], kCut);  // every other file is cut
                }
                volatile std::int64_t count = 0;
                auto walk = [&] { ReadAll(in, count); };
                in.Walk(walk);
                passed[t] = count;
                errors[t] = in.HasError() ? in.ErrorText() : "";
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        for (int t = 0; t < kThreads; ++t) {
            if (t % 2 == 0) {
                EXPECT_EQ(errors[t], kCutShort) << "map " << map << ", thread " << t;
                // What is left is read; a mapped walk reads the rest of the last page as zeros
                // before it faults.
                EXPECT_GE(passed[t], static_cast<std::int64_t>(kCut) - 4096);
                EXPECT_LE(passed[t], static_cast<std::int64_t>(kCut) + ::getpagesize());
            } else {
                EXPECT_EQ(errors[t], "") << "map " << map << ", thread " << t;
                EXPECT_EQ(passed[t], static_cast<std::int64_t>(kSize));
            }
        }
    }
}

// Our handler takes only the faults of a walk's own mapping on its own thread; any other bus
// error goes to the handler that was there before (here one that exits with 42).
TEST(MappedReadingDeathTest, ABusErrorOutsideAWalkGoesToTheHandlerBeforeOurs) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process: ours not installed yet
    CTempDir dir;
    WriteFile(dir.File("walked"), Pattern(1u << 20));
    WriteFile(dir.File("other"), Pattern(1u << 20));
    EXPECT_EXIT(
        {
            struct sigaction before {};
            before.sa_handler = [](int) { ::_exit(42); };
            sigemptyset(&before.sa_mask);
            sigaction(SIGBUS, &before, nullptr);
            CFile file;
            CMappedFile other;
            if (!file.Open(dir.File("other"), CFile::Mode::kRead) || !other.Map(file, 1u << 20)) {
                ::_exit(1);
            }
            fs::resize_file(dir.File("other"), 10);
            CByteReader in;
            if (!in.Open(dir.File("walked"), ReadMethod::kMap)) {
                ::_exit(2);
            }
            fs::remove_all(dir.Path());  // open and mapped files stay; nothing is left behind
            auto nothing = [] {};
            in.Walk(nothing);  // the first walk puts our handler in front
            struct sigaction now {};
            sigaction(SIGBUS, nullptr, &now);
            if ((now.sa_flags & SA_SIGINFO) == 0 && now.sa_handler == before.sa_handler) {
                ::_exit(4);
            }
            // Inside a walk, but the lost page belongs to another mapping.
            auto walk = [&] {
                volatile unsigned char sink = other.Data()[500000];
                (void)sink;
            };
            in.Walk(walk);
            ::_exit(3);
        },
        ::testing::ExitedWithCode(42), "");
}

}  // namespace
}  // namespace sonvara::test
