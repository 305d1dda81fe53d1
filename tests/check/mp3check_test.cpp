#include "check/mp3check.h"

#include <gtest/gtest.h>

#include <random>

#include "check/referencewalk.h"
#include "jobs/progresssink.h"
#include "support/mpegframes.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

class CRecordingSink : public IProgressSink {
public:
    bool IsAborted() override { return false; }
    void SetProgress(int percent) override { values.push_back(percent); }
    std::vector<int> values;
};

MP3FrameHeader Decode(std::uint32_t word) {
    MP3FrameHeader h;
    CMP3Check::DecodeHeader(word, h);
    return h;
}

struct Walk {
    bool intact = false;
    MP3StreamState state;
    std::int64_t framesFound = 0;
};

Walk CheckBytes(const Bytes& bytes, IProgressSink* sink = nullptr) {
    CTempDir dir;
    const std::string path = dir.File("t.mp3");
    WriteFile(path, bytes);
    CMP3Check check;
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    Walk w;
    w.intact = check.CheckFile(path, sink);
    w.state = check.GetStreamState();
    w.framesFound = check.GetFramesFound();
    return w;
}

TEST(DecodeHeader, FrameLengthsOfTheCommonLayerThreeStream) {
    FrameShape shape;  // MPEG-1 Layer III, 128 kbit/s, 44100 Hz
    MP3FrameHeader h = Decode(HeaderWord(shape));
    EXPECT_TRUE(h.valid);
    EXPECT_TRUE(h.mpeg1);
    EXPECT_TRUE(h.layer3);
    EXPECT_TRUE(h.jointStereo);
    EXPECT_FALSE(h.crcProtected);
    EXPECT_EQ(h.bitRate, 128);
    EXPECT_EQ(h.sampleRate, 44100);
    EXPECT_EQ(h.frameLength, 417);
    shape.padding = true;
    EXPECT_EQ(Decode(HeaderWord(shape)).frameLength, 418);
    EXPECT_STREQ(Decode(0xFFFB9064u).headerText, "11111111111110111001000001100100");
}

TEST(DecodeHeader, EveryVersionLayerRateAndPaddingMatchesTheStandardTables) {
    int checked = 0;
    for (MpegVersion v : {MpegVersion::k1, MpegVersion::k2, MpegVersion::k25}) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int br = 0; br < 16; ++br) {
                for (int sr = 0; sr < 4; ++sr) {
                    for (int mode = 0; mode < 4; ++mode) {
                        for (bool pad : {false, true}) {
                            FrameShape s{v, layer, br, sr, pad, false, mode};
                            const MP3FrameHeader h = Decode(HeaderWord(s));
                            const bool expectValid = BitRateKbps(s) != 0 && SampleRateHz(s) != 0 &&
                                                     LayerTwoModeAllowed(s);
                            ASSERT_EQ(h.valid, expectValid)
                                << "version " << static_cast<int>(v) << " layer " << layer << " br "
                                << br << " sr " << sr << " mode " << mode;
                            if (expectValid) {
                                ASSERT_EQ(h.frameLength, FrameLength(s));
                                ASSERT_EQ(h.bitRate, BitRateKbps(s));
                                ASSERT_EQ(h.sampleRate, SampleRateHz(s));
                                ASSERT_EQ(h.padding, pad);
                                ++checked;
                            }
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(checked, 1000);
}

TEST(DecodeHeader, ForbiddenFieldsAndTheMarkerValues) {
    FrameShape s;
    s.bitRateIndex = 15;
    EXPECT_FALSE(Decode(HeaderWord(s)).valid);
    EXPECT_EQ(Decode(HeaderWord(s)).bitRate, 0);
    s = FrameShape{};
    s.sampleRateIndex = 3;
    EXPECT_FALSE(Decode(HeaderWord(s)).valid);
    EXPECT_EQ(Decode(HeaderWord(s)).frameLength, 0);
    s = FrameShape{};
    s.bitRateIndex = 0;  // free format
    EXPECT_FALSE(Decode(HeaderWord(s)).valid);
    EXPECT_EQ(Decode(HeaderWord(s)).bitRate, 1);

    // Layer bits 00 (reserved) and version bits 01 (reserved).
    MP3FrameHeader h = Decode(HeaderWord(FrameShape{}) & ~(3u << 17));
    EXPECT_FALSE(h.valid);
    EXPECT_TRUE(h.reservedLayer);
    h = Decode((HeaderWord(FrameShape{}) & ~(3u << 19)) | (1u << 19));
    EXPECT_FALSE(h.valid);
    EXPECT_TRUE(h.reservedVersion);
    EXPECT_EQ(h.sampleRate, 0);

    // No sync: nothing else is decoded.
    h = Decode(0x7FFB9064u);
    EXPECT_FALSE(h.valid);
    EXPECT_FALSE(h.mpeg1 || h.mpeg2 || h.mpeg25 || h.reservedVersion);
}

TEST(DecodeHeader, LayerTwoBitRatesDependOnTheChannelMode) {
    FrameShape s;
    s.layer = 2;
    s.bitRateIndex = 1;  // 32 kbit/s
    s.mode = 0;
    EXPECT_FALSE(Decode(HeaderWord(s)).valid);
    s.mode = 3;
    EXPECT_TRUE(Decode(HeaderWord(s)).valid);
    s.bitRateIndex = 14;  // 384 kbit/s
    s.mode = 1;
    EXPECT_TRUE(Decode(HeaderWord(s)).valid);
    s.mode = 3;
    EXPECT_FALSE(Decode(HeaderWord(s)).valid);
}

TEST(FrameWalk, BackToBackStreamsOfEveryValidHeaderAreIntact) {
    int streams = 0;
    for (MpegVersion v : {MpegVersion::k1, MpegVersion::k2, MpegVersion::k25}) {
        for (int layer = 1; layer <= 3; ++layer) {
            for (int br = 1; br < 15; ++br) {
                for (int sr = 0; sr < 3; ++sr) {
                    for (bool crc : {false, true}) {
                        for (bool pad : {false, true}) {
                            FrameShape s{v, layer, br, sr, pad, crc, layer == 2 ? 3 : 1};
                            if (!LayerTwoModeAllowed(s)) {
                                s.mode = 0;
                            }
                            const Walk w = CheckBytes(MakeStream(s, 5));
                            ASSERT_TRUE(w.intact) << "layer " << layer << " br " << br;
                            ASSERT_EQ(w.state.goodFrames, 5);
                            ASSERT_EQ(w.state.errors, 0);
                            ++streams;
                        }
                    }
                }
            }
        }
    }
    EXPECT_EQ(streams, 3 * 3 * 14 * 3 * 4);
}

TEST(FrameWalk, MixedPaddingAndCrcFramesFollowEachOther) {
    Bytes bytes;
    for (int i = 0; i < 40; ++i) {
        FrameShape s;
        s.padding = i % 3 == 0;
        s.crc = i % 5 == 0;
        s.bitRateIndex = 1 + i % 14;
        Append(bytes, MakeFrame(s));
    }
    const Walk w = CheckBytes(bytes);
    EXPECT_TRUE(w.intact);
    EXPECT_EQ(w.state.goodFrames, 40);
    EXPECT_EQ(w.state.bytesRead, static_cast<std::int64_t>(bytes.size()));
}

TEST(FrameWalk, Id3v2TagAtTheStartCostsNothing) {
    Bytes bytes = MakeId3v2Tag(257);
    Append(bytes, MakeStream(FrameShape{}, 10));
    const Walk w = CheckBytes(bytes);
    EXPECT_TRUE(w.intact);
    EXPECT_EQ(w.state.goodFrames, 10);  // the first frame after the tag counts as good

    // A tag that claims more bytes than the file has: no frame, no error.
    Bytes cut = MakeId3v2Tag(5000);
    cut.resize(300);
    const Walk past = CheckBytes(cut);
    EXPECT_TRUE(past.intact);
    EXPECT_EQ(past.framesFound, 0);
    EXPECT_EQ(past.state.bytesRead, 300);

    // A tag cut inside its own ten-byte header.
    Bytes stub = {'I', 'D', '3', 3, 0};
    EXPECT_TRUE(CheckBytes(stub).intact);
}

TEST(FrameWalk, JunkBeforeTheFirstFrameIsFreeButJunkInsideCostsOneError) {
    Bytes lead = {0x01, 0x02, 0x03, 0x04};
    Append(lead, MakeStream(FrameShape{}, 6));
    const Walk before = CheckBytes(lead);
    EXPECT_TRUE(before.intact);
    EXPECT_EQ(before.state.goodFrames, 5);  // the first frame after junk is not counted

    Bytes inside = MakeStream(FrameShape{}, 3);
    Append(inside, {0x01, 0x02, 0x03, 0x04});
    Append(inside, MakeStream(FrameShape{}, 3));
    const Walk w = CheckBytes(inside);
    EXPECT_FALSE(w.intact);
    EXPECT_EQ(w.state.errors, 1);

    // A false sync with a forbidden bit rate inside the junk costs one more.
    Bytes falseSync = MakeStream(FrameShape{}, 3);
    Append(falseSync, {0x00, 0xFF, 0xFB, 0xF0, 0x00});
    Append(falseSync, MakeStream(FrameShape{}, 3));
    EXPECT_EQ(CheckBytes(falseSync).state.errors, 2);
}

TEST(FrameWalk, MissingStretchInsideTheStreamIsCorrupt) {
    Bytes bytes = MakeStream(FrameShape{}, 20);
    bytes.erase(bytes.begin() + 417 * 7 + 100, bytes.begin() + 417 * 9 + 50);
    EXPECT_FALSE(CheckBytes(bytes).intact);
}

TEST(FrameWalk, TruncationAtEveryByteOfTheLastFrameIsNotAnError) {
    for (bool crc : {false, true}) {
        FrameShape s;
        s.crc = crc;
        const Bytes whole = MakeStream(s, 4);
        const std::size_t lastStart = whole.size() - static_cast<std::size_t>(FrameLength(s));
        for (std::size_t cut = lastStart; cut <= whole.size(); ++cut) {
            const Bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
            const Walk w = CheckBytes(part);
            ASSERT_TRUE(w.intact) << "crc " << crc << " cut at " << cut;
            ASSERT_EQ(w.state.goodFrames, cut >= lastStart + 4 ? 4 : 3) << "cut at " << cut;
        }
    }
}

TEST(FrameWalk, FreeFormatAndEmptyFiles) {
    FrameShape free;
    free.bitRateIndex = 0;
    Bytes bytes;
    for (int i = 0; i < 5; ++i) {
        Append(bytes, {0xFF, 0xFB, 0x00, 0x64});
        Append(bytes, Bytes(400, 0x11));
    }
    const Walk w = CheckBytes(bytes);
    EXPECT_FALSE(w.intact);
    EXPECT_EQ(w.state.errors, 5);

    const Walk empty = CheckBytes({});
    EXPECT_TRUE(empty.intact);
    EXPECT_EQ(empty.framesFound, 0);
    EXPECT_EQ(empty.state.bytesRead, 0);
}

TEST(FrameWalk, WithoutTheWholeFileOptionTheWalkStopsAtTheFirstFrame) {
    CTempDir dir;
    const std::string path = dir.File("t.mp3");
    WriteFile(path, MakeStream(FrameShape{}, 10));
    CMP3Check check;
    check.ClearOptions();
    EXPECT_TRUE(check.CheckFile(path, nullptr));
    EXPECT_EQ(check.GetStreamState().goodFrames, 1);
    EXPECT_EQ(check.GetStreamState().bytesRead, 417);
}

TEST(FrameWalk, AFileThatCannotBeOpenedIsNotIntactAndSaysWhy) {
    CTempDir dir;
    CMP3Check check;
    EXPECT_FALSE(check.CheckFile(dir.File("missing.mp3"), nullptr));
    EXPECT_TRUE(check.OpenFailed());
    EXPECT_EQ(check.FailureText(), "No such file or directory");

    EXPECT_FALSE(check.CheckFile(dir.Path(), nullptr));
    EXPECT_TRUE(check.OpenFailed());
    EXPECT_EQ(check.FailureText(), "Is a directory");

    // A FIFO is refused at once instead of blocking the walk.
    const std::string fifo = dir.File("pipe.mp3");
    ASSERT_EQ(RunCommand("mkfifo " + ShellQuote(fifo)).exitCode, 0);
    EXPECT_FALSE(check.CheckFile(fifo, nullptr));
    EXPECT_TRUE(check.OpenFailed());

    WriteFile(dir.File("ok.mp3"), MakeStream(FrameShape{}, 2));
    EXPECT_TRUE(check.CheckFile(dir.File("ok.mp3"), nullptr));
    EXPECT_FALSE(check.OpenFailed());
    EXPECT_TRUE(check.FailureText().empty());
}

TEST(FrameWalkProgress, NothingBeforeTheSecondGoodFrameAndNothingAtMultiplesOf200) {
    CRecordingSink sink;
    const Walk w = CheckBytes(MakeStream(FrameShape{}, 450), &sink);
    ASSERT_TRUE(w.intact);
    // One report per frame from the second on, except at good-frame counts 200 and 400, and
    // one more from the pass that finds the end of the file.
    ASSERT_EQ(sink.values.size(), 449u - 2u + 1u);
    // The estimate is file size / 417 = 450 frames: 2 good frames -> 0 %, the last -> 100 %.
    EXPECT_EQ(sink.values.front(), 0);
    EXPECT_EQ(sink.values.back(), 100);
    EXPECT_EQ(sink.values[198 - 1], 44);  // good frame 199: 199*100/450
    EXPECT_EQ(sink.values[198], 44);      // good frame 201 (200 is skipped)
}

// The checker's buffered walk, with its junk skipping, must count exactly as a literal
// byte-by-byte walk over the same bytes.
TEST(FrameWalkProgress, CountsMatchALiteralWalkOnRandomisedStreams) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 300; ++round) {
        Bytes bytes;
        if (rng() % 4 == 0) {
            Append(bytes, MakeId3v2Tag(rng() % 700));
        }
        const int pieces = 1 + static_cast<int>(rng() % 30);
        for (int p = 0; p < pieces; ++p) {
            switch (rng() % 6) {
                case 0: {  // junk, with 0xFF bytes and false syncs sprinkled in
                    const std::size_t n = rng() % 600;
                    for (std::size_t i = 0; i < n; ++i) {
                        const unsigned r = rng() % 16;
                        bytes.push_back(r == 0   ? 0xFF
                                        : r == 1 ? 0xFB
                                                 : static_cast<std::uint8_t>(rng()));
                    }
                    break;
                }
                case 1: {  // a frame cut short or cut at the front
                    Bytes f = MakeFrame(FrameShape{});
                    if (rng() % 2 == 0) {
                        f.resize(rng() % f.size());
                    } else {
                        f.erase(f.begin(),
                                f.begin() + static_cast<std::ptrdiff_t>(rng() % f.size()));
                    }
                    Append(bytes, f);
                    break;
                }
                default: {
                    FrameShape s;
                    s.version = static_cast<MpegVersion>(rng() % 3);
                    s.layer = 1 + static_cast<int>(rng() % 3);
                    s.bitRateIndex = 1 + static_cast<int>(rng() % 14);
                    s.sampleRateIndex = static_cast<int>(rng() % 3);
                    s.padding = rng() % 2 == 0;
                    s.crc = rng() % 3 == 0;
                    s.mode = static_cast<int>(rng() % 4);
                    Append(bytes, MakeStream(s, 1 + static_cast<int>(rng() % 8)));
                }
            }
        }
        if (rng() % 3 == 0 && !bytes.empty()) {
            bytes.resize(rng() % bytes.size());
        }

        CTempDir dir;
        const std::string path = dir.File("r.mp3");
        WriteFile(path, bytes);
        CRecordingSink sink;
        CMP3Check check;
        check.SetOption(CMP3Check::kOptionWholeFile, true);
        const bool intact = check.CheckFile(path, &sink);
        const ReferenceResult ref = ReferenceWalk(path);
        const MP3StreamState& st = check.GetStreamState();
        ASSERT_EQ(st.bytesRead, ref.bytesRead) << "round " << round;
        ASSERT_EQ(st.goodFrames, ref.goodFrames) << "round " << round;
        ASSERT_EQ(st.errors, ref.errors) << "round " << round;
        ASSERT_EQ(st.expectedPosition, ref.expectedPosition) << "round " << round;
        ASSERT_EQ(intact, ref.errors == 0);
        // Repeated values of the junk passes may be reported once; the sequence of changes is
        // the same.
        auto changes = [](std::vector<int> v) {
            v.erase(std::unique(v.begin(), v.end()), v.end());
            return v;
        };
        ASSERT_EQ(changes(sink.values), changes(ref.progress)) << "round " << round;
    }
}

}  // namespace
}  // namespace sonvara::test
