// Tags of MP3 files written by a peer tool (mutagen, Debian's python3-mutagen), read and saved.
#include "audio/mpegtags.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/fileexception.h"
#include "platform/text.h"
#include "support/childprocess.h"
#include "support/encoders.h"
#include "support/richtags.h"
#include "support/testfiles.h"

namespace sonvara::test {
namespace {

// Debian's python3, which has mutagen (the first python3 on PATH may not).
CommandResult Mutagen(const std::string& script) {
    return RunCommand(
        "/usr/bin/python3 -c " +
        ShellQuote("from mutagen.id3 import ID3, TIT2, TPE1, TPE2, TCOM, TALB, TYER, COMM\n"
                   "from mutagen.apev2 import APEv2\n" +
                   script));
}

// The MPEG frames of a file: after an ID3 version 2 tag, before an APE and ID3 version 1 tag.
Bytes AudioFrames(const Bytes& file) {
    std::size_t start = 0;
    if (file.size() >= 10 && file[0] == 'I' && file[1] == 'D' && file[2] == '3') {
        start = 10 + (file[6] << 21 | file[7] << 14 | file[8] << 7 | file[9]);
    }
    while (start < file.size() && file[start] == 0) {
        ++start;  // padding
    }
    std::size_t end = file.size();
    if (end >= 128 && std::memcmp(&file[end - 128], "TAG", 3) == 0) {
        end -= 128;
    }
    if (end >= 32 && std::memcmp(&file[end - 32], "APETAGEX", 8) == 0) {
        const std::uint32_t size =
            file[end - 20] | file[end - 19] << 8 | file[end - 18] << 16 | file[end - 17] << 24;
        end -= size + 32;  // footer size counts items and footer; the header is 32 more
    }
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(start),
                 file.begin() + static_cast<std::ptrdiff_t>(end));
}

class MpegTags : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(HaveTool("lame") && HaveTool("sox"));
        ASSERT_EQ(Mutagen("pass").exitCode, 0)
            << "python3-mutagen is installed by the set-up script";
        const std::string wav = SynthWav(m_Dir.File("a.wav"), "-r 44100 -c 2", "2 sine 440");
        m_Plain = LameEncode(wav, m_Dir.File("plain.mp3"), "-b 128");
    }
    std::string Copy(const std::string& name) {
        const std::string path = m_Dir.File(name);
        WriteFile(path, ReadFile(m_Plain));
        return path;
    }
    MpegTagTexts Read(const std::string& path) { return ReadMpegTags(path); }
    CTempDir m_Dir;
    std::string m_Plain;
};

TEST_F(MpegTags, ArtistFallsBackThroughTheArtistFramesAndTheOtherTags) {
    const std::string composer = Copy("tcom.mp3");
    ASSERT_EQ(
        Mutagen("t=ID3(); t.add(TCOM(encoding=3, text='Composer')); t.save('" + composer + "')")
            .exitCode,
        0);
    EXPECT_EQ(Read(composer).artist, "Composer");

    const std::string band = Copy("tpe2.mp3");
    ASSERT_EQ(
        Mutagen("t=ID3(); t.add(TCOM(encoding=3, text='C')); t.add(TPE2(encoding=3, text='Band'));"
                "t.save('" +
                band + "')")
            .exitCode,
        0);
    EXPECT_EQ(Read(band).artist, "Band");

    // Version 1 fills what version 2 lacks; APE what both lack.
    const std::string mixed = Copy("mixed.mp3");
    ASSERT_EQ(
        Mutagen("t=ID3(); t.add(TIT2(encoding=3, text='V2 title')); t.save('" + mixed + "', v1=0)")
            .exitCode,
        0);
    Bytes withV1 = ReadFile(mixed);
    Bytes v1(128, 0);
    std::memcpy(v1.data(), "TAGV1 title", 11);
    std::memcpy(v1.data() + 33, "V1 artist", 9);
    std::memcpy(v1.data() + 63, "V1 album", 8);
    Append(withV1, v1);
    WriteFile(mixed, withV1);
    MpegTagTexts t = Read(mixed);
    EXPECT_EQ(t.title, "V2 title");
    EXPECT_EQ(t.artist, "V1 artist");
    EXPECT_EQ(t.album, "V1 album");

    const std::string ape = Copy("ape.mp3");
    ASSERT_EQ(
        Mutagen(
            "a=APEv2(); a['Title']='Ape title'; a['Artist']='Ape artist'; a['Album']='Ape album';"
            "a.save('" +
            ape + "')")
            .exitCode,
        0);
    t = Read(ape);
    EXPECT_EQ(t.title, "Ape title");
    EXPECT_EQ(t.artist, "Ape artist");
    EXPECT_EQ(t.album, "Ape album");

    t = Read(m_Plain);
    EXPECT_EQ(t.title + t.artist + t.album, "");
}

TEST_F(MpegTags, NonLatinTextsInUtf16AndUtf8ReadBackExactly) {
    const std::string v23 = Copy("v23.mp3");
    ASSERT_EQ(Mutagen("t=ID3(); t.add(TIT2(encoding=1, text='Песня 歌')); t.add(TPE1(encoding=1, "
                      "text='Ἀθῆναι'));"
                      "t.add(TALB(encoding=1, text='😀 album')); t.save('" +
                      v23 + "', v2_version=3)")
                  .exitCode,
              0);
    MpegTagTexts t = Read(v23);
    EXPECT_EQ(t.title, "Песня 歌");
    EXPECT_EQ(t.artist, "Ἀθῆναι");
    EXPECT_EQ(t.album, "😀 album");

    const std::string v24 = Copy("v24.mp3");
    ASSERT_EQ(
        Mutagen("t=ID3(); t.add(TIT2(encoding=3, text='日本語のタイトル')); t.save('" + v24 + "')")
            .exitCode,
        0);
    EXPECT_EQ(Read(v24).title, "日本語のタイトル");
}

TEST_F(MpegTags, SavingKeepsTheVersionEveryOtherFrameAndTheAudio) {
    const std::string path = Copy("save23.mp3");
    ASSERT_EQ(
        Mutagen(
            "t=ID3(); t.add(TIT2(encoding=1, text='Old')); t.add(TCOM(encoding=1, text='Comp'));"
            "t.add(TPE2(encoding=1, text='Band')); t.add(TYER(encoding=1, text='1999'));"
            "t.add(COMM(encoding=1, lang='eng', desc='', text='keep me'));"
            "t.save('" +
            path + "', v2_version=3, v1=2)")
            .exitCode,
        0);
    const Bytes before = ReadFile(path);
    SaveMpegTags(path, {"Новый", "Artist", ""});
    const Bytes after = ReadFile(path);
    EXPECT_TRUE(AudioFrames(after) == AudioFrames(before));
    ASSERT_GE(after.size(), 128u);
    EXPECT_EQ(after[3], 3) << "the ID3 version 2.3 tag must stay 2.3";

    const CommandResult r =
        Mutagen("t=ID3('" + path +
                "', translate=False); print(t.version);"
                "print(int(t['TIT2'].encoding), t['TIT2'].text[0]);"
                "print(t['TPE1'].text[0], t['TPE2'].text[0], t['TCOM'].text[0], t['TYER'].text[0]);"
                "print(t.getall('COMM')[0].text[0]); print('TALB' in t)");
    EXPECT_EQ(r.out, "(2, 3, 0)\n1 Новый\nArtist Band Comp 1999\nkeep me\nFalse\n") << r.err;
    // Version 1: the new texts ('?' for what Latin-1 lacks), the year kept.
    const Bytes v1(after.end() - 128, after.end());
    EXPECT_EQ(std::string(v1.begin(), v1.begin() + 3), "TAG");
    EXPECT_EQ(std::string(v1.begin() + 3, v1.begin() + 8), "?????");
    EXPECT_EQ(std::string(v1.begin() + 33, v1.begin() + 39), "Artist");
    EXPECT_EQ(std::string(v1.begin() + 93, v1.begin() + 97), "1999");

    // An empty text leaves the old one.
    SaveMpegTags(path, {"", "", "Album"});
    MpegTagTexts t = Read(path);
    EXPECT_EQ(t.title, "Новый");
    EXPECT_EQ(t.artist, "Artist");
    EXPECT_EQ(t.album, "Album");
}

TEST_F(MpegTags, AFileWithoutTagsGetsOnlyAVersionOneTag) {
    const std::string path = Copy("bare.mp3");
    const Bytes before = ReadFile(path);
    CAudioMpegFile f;
    f.SetFileName(path);
    ASSERT_TRUE(f.IsValid());
    f.SetTitle("T");
    f.SetArtist("Ärtist");
    f.SaveTags();
    EXPECT_EQ(f.GetArtist(), "Ärtist");  // read back by the Open that follows
    const Bytes after = ReadFile(path);
    ASSERT_EQ(after.size(), before.size() + 128);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), after.begin()));
    EXPECT_EQ(after[before.size() + 33], 0xC4);  // Ä in Latin-1
    // An APE tag stays as it was; the version 1 tag goes after it.
    const std::string ape = Copy("ape-save.mp3");
    ASSERT_EQ(
        Mutagen("a=APEv2(); a['Title']='Ape'; a['Artist']='Band'; a.save('" + ape + "')").exitCode,
        0);
    const Bytes apeBefore = ReadFile(ape);
    SaveMpegTags(ape, {"New", "", ""});
    const Bytes apeAfter = ReadFile(ape);
    ASSERT_EQ(apeAfter.size(), apeBefore.size() + 128);
    EXPECT_TRUE(std::equal(apeBefore.begin(), apeBefore.end(), apeAfter.begin()));
    EXPECT_EQ(Read(ape).title, "New");
    EXPECT_EQ(Read(ape).artist, "Band");  // from the APE tag, the version 1 artist being empty

    const std::string v24 = Copy("v24.mp3");
    ASSERT_EQ(Mutagen("t=ID3(); t.add(TIT2(encoding=3, text='x')); t.save('" + v24 + "')").exitCode,
              0);
    SaveMpegTags(v24, {"y", "", ""});
    EXPECT_EQ(ReadFile(v24)[3], 4);
    EXPECT_EQ(Read(v24).title, "y");
}

TEST_F(MpegTags, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    const std::string path = Copy("limit.mp3");
    const Bytes before = ReadFile(path);
    EXPECT_EQ(InChildProcess(
                  [&] {
                      try {
                          SaveMpegTags(path, {"t", "a", "b"});
                      } catch (const CFileException& e) {
                          return e.m_cause == CFileException::diskFull ? 0 : 4;
                      }
                      return 5;
                  },
                  static_cast<rlim_t>(before.size() / 2)),
              0);
    EXPECT_EQ(ReadFile(path), before);
    // No temporary file is left beside it.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(m_Dir.Path())) {
        files += e.path().filename().string().find(".tmp") != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(files, 0);
    EXPECT_THROW(SaveMpegTags(m_Dir.File("missing.mp3"), {"t", "", ""}), CFileException);
}

TEST_F(MpegTags, DamagedTagsNeverCrashTheReader) {
    const Bytes audio = ReadFile(m_Plain);
    std::vector<Bytes> cases;
    // A tag whose size runs past the end, one with frames of absurd sizes, one cut short.
    cases.push_back({'I', 'D', '3', 3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F, 'T', 'I', 'T', '2'});
    Bytes absurd = {'I', 'D', '3', 3,   0,    0,    0,    0,    2, 0,
                    'T', 'I', 'T', '2', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    absurd.resize(266, 'x');
    Append(absurd, audio);
    cases.push_back(absurd);
    Bytes compressed = {'I', 'D', '3', 3,   0, 0, 0, 0,  0, 40,
                        'T', 'I', 'T', '2', 0, 0, 0, 20, 0, 0x80};
    compressed.resize(50, 0x55);
    Append(compressed, audio);
    cases.push_back(compressed);
    Bytes v4unsync = {'I', 'D', '3', 4,   0, 0x80, 0, 0,  0, 20,
                      'T', 'P', 'E', '1', 0, 0,    0, 10, 0, 3};
    v4unsync.resize(30, 0xFF);
    Append(v4unsync, audio);
    cases.push_back(v4unsync);
    Bytes apeLie = audio;
    Append(apeLie, {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X',  0xD0, 7, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F,
                    5,   0,   0,   0,   0,   0,   0,   0x80, 0,    0, 0, 0, 0,    0,    0,    0});
    cases.push_back(apeLie);
    CAudioMpegFile plain;
    plain.SetFileName(m_Plain);
    ASSERT_TRUE(plain.IsValid());
    const std::int32_t plainLength = plain.GetLength();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string path = m_Dir.File("bad" + std::to_string(i) + ".mp3");
        WriteFile(path, cases[i]);
        // Whatever the damaged tag says, the texts are short, valid UTF-8.
        const MpegTagTexts texts = Read(path);
        for (const std::string* text : {&texts.title, &texts.artist, &texts.album}) {
            EXPECT_TRUE(IsValidUtf8(*text)) << i;
            EXPECT_LT(text->size(), 300u) << i;
        }
        // The audio behind (or before) a damaged tag is still found, whole.
        CAudioMpegFile f;
        f.SetFileName(path);
        if (i == 0) {
            EXPECT_FALSE(f.IsValid());  // a tag and nothing else
        } else {
            EXPECT_TRUE(f.IsValid()) << i;
            EXPECT_NEAR(f.GetLength(), plainLength, 30) << i;
        }
    }
}

// Every frame of the rich tag but the ones named, as Python sees them.
std::vector<std::string> FramesBut(const std::vector<std::string>& frames,
                                   const std::vector<std::string>& left) {
    std::vector<std::string> kept;
    for (const std::string& f : frames) {
        if (std::find(left.begin(), left.end(), f.substr(0, 4)) == left.end()) {
            kept.push_back(f);
        }
    }
    return kept;
}

TEST_F(MpegTags, ASaveWritesOnlyTheChangedTextsAndKeepsEveryOtherFrameAndTheVersion) {
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        const std::string path = m_Dir.File("rich" + std::to_string(version) + ".mp3");
        MakeRichTaggedMp3(m_Plain, path, version);
        const Bytes before = ReadFile(path);
        const std::vector<std::string> framesBefore = Id3Frames(path);
        ASSERT_EQ(framesBefore.front(), "v2." + std::to_string(version));

        // The title and artist as they are, a new album: only TALB changes.
        const MpegTagTexts now = Read(path);
        SaveMpegTags(path, {now.title, now.artist, "Новый альбом"});
        std::vector<std::string> framesAfter = Id3Frames(path);
        EXPECT_EQ(FramesBut(framesAfter, {"TALB"}), FramesBut(framesBefore, {"TALB"}));
        const Bytes after = ReadFile(path);
        EXPECT_EQ(after.size(), before.size()) << "the tag fits its padding";
        EXPECT_TRUE(AudioFrames(after) == AudioFrames(before));
        EXPECT_EQ(framesAfter.front(), framesBefore.front()) << "the version stays";
        const std::string py = Python("from mutagen.id3 import ID3\nt=ID3('" + path +
                                      "')\nprint(t['TPE1'].text, t['TALB'].text[0])");
        EXPECT_EQ(py, std::string(version == 3 ? "['First Artist/Second Artist']"
                                               : "['First Artist', 'Second Artist']") +
                          " Новый альбом\n");

        // A new artist replaces both values; nothing else moves.
        SaveMpegTags(path, {now.title, "Один", "Новый альбом"});
        framesAfter = Id3Frames(path);
        EXPECT_EQ(FramesBut(framesAfter, {"TALB", "TPE1"}),
                  FramesBut(framesBefore, {"TALB", "TPE1"}));
        EXPECT_EQ(Read(path).artist, "Один");
        // The version 1 tag got the texts as far as Latin-1 goes.
        const Bytes v1(after.end() - 128, after.end());
        EXPECT_EQ(std::string(v1.begin() + 63, v1.begin() + 75), "????? ??????");
    }
}

TEST_F(MpegTags, TextBeyondLatin1ForAVersionOneOnlyFileGetsAVersionTwoTag) {
    const std::string path = Copy("v1only.mp3");
    ASSERT_EQ(Mutagen("from mutagen.id3 import ID3\nt=ID3(); t.add(TIT2(encoding=0, text='Old')); "
                      "t.add(TPE1(encoding=0, text='Artist')); t.save('" +
                      path + "', v1=2); t.delete('" + path + "', delete_v1=False, delete_v2=True)")
                  .exitCode,
              0);
    const Bytes before = ReadFile(path);
    ASSERT_NE(before[0], 'I');
    SaveMpegTags(path, {"Песня 歌 😀", "Artist", ""});
    const Bytes after = ReadFile(path);
    EXPECT_EQ(after[3], 4) << "a version 2.4 tag in front";
    EXPECT_TRUE(AudioFrames(after) == AudioFrames(before));
    const MpegTagTexts t = Read(path);
    EXPECT_EQ(t.title, "Песня 歌 😀");
    EXPECT_EQ(t.artist, "Artist");
    const CommandResult r =
        Mutagen("t=ID3('" + path + "'); print(t['TIT2'].text[0], t['TPE1'].text[0])");
    EXPECT_EQ(r.out, "Песня 歌 😀 Artist\n") << r.err;
    const Bytes v1(after.end() - 128, after.end());
    EXPECT_EQ(std::string(v1.begin(), v1.begin() + 3), "TAG");
    EXPECT_EQ(std::string(v1.begin() + 3, v1.begin() + 14), std::string("????? ? ??\0", 11));
    EXPECT_EQ(std::string(v1.begin() + 33, v1.begin() + 39), "Artist");
}

// Bytes this process has read so far (the kernel's count of read calls).
std::uint64_t BytesReadSoFar() {
    const std::string io = ReadText("/proc/self/io");
    const std::size_t at = io.find("rchar: ");
    return at == std::string::npos ? 0 : std::stoull(io.substr(at + 7));
}

TEST_F(MpegTags, ReadingLooksOnlyWhereTagsCanBe) {
    // Large files of zeros named .mp3 (a renamed disc image), holes on the disk: the reader
    // takes its (empty) texts from the start and the end only.
    for (const std::uint64_t size : {64ull << 20, 4ull << 30}) {
        SCOPED_TRACE(size);
        const std::string path = m_Dir.File("image" + std::to_string(size) + ".mp3");
        WriteFile(path, {});
        std::filesystem::resize_file(path, size);
        const std::uint64_t before = BytesReadSoFar();
        const MpegTagTexts t = Read(path);
        const std::uint64_t read = BytesReadSoFar() - before;
        EXPECT_EQ(t.title + t.artist + t.album, "");
        ASSERT_LT(read, 64u * 1024) << "the reader went through the file";
    }
    // Tags at both ends of a large file are still found: a version 2 tag with a picture at
    // the start, an APE tag before a version 1 tag at the end, 16 MiB between them.
    const std::string big = Copy("big.mp3");
    ASSERT_EQ(
        Mutagen("from mutagen.id3 import APIC\nt=ID3(); t.add(TIT2(encoding=3, text='Start'));"
                "t.add(APIC(encoding=0, mime='image/png', type=3, desc='', data=b'x' * 300000));"
                "t.save('" +
                big + "', v1=0)")
            .exitCode,
        0);
    Bytes bytes = ReadFile(big);
    bytes.resize(bytes.size() + (16u << 20), 0);
    WriteFile(big, bytes);
    ASSERT_EQ(Mutagen("a=APEv2(); a['Artist']='End artist'; a['Cover']=b'y' * 200000; a.save('" +
                      big + "')")
                  .exitCode,
              0);
    Bytes v1(128, 0);
    std::memcpy(v1.data(), "TAG", 3);
    std::memcpy(v1.data() + 63, "V1 album", 8);
    bytes = ReadFile(big);
    Append(bytes, v1);
    WriteFile(big, bytes);
    const std::uint64_t before = BytesReadSoFar();
    const MpegTagTexts t = Read(big);
    EXPECT_LT(BytesReadSoFar() - before, 1u << 20);
    EXPECT_EQ(t.title, "Start");
    EXPECT_EQ(t.artist, "End artist");
    EXPECT_EQ(t.album, "V1 album");
}

// What a save must keep of a file besides its tags, links not followed for `path` itself.
struct FileFacts {
    bool link = false;
    std::string linkText;
    ino_t node = 0;
    nlink_t links = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    std::string attributes;  // every extended attribute, ACLs included (getfattr)
};

FileFacts FactsOf(const std::string& path) {
    FileFacts f;
    struct stat own {};
    EXPECT_EQ(::lstat(path.c_str(), &own), 0) << path;
    f.link = S_ISLNK(own.st_mode);
    if (f.link) {
        f.linkText = std::filesystem::read_symlink(path).string();
    }
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    f.node = st.st_ino;
    f.links = st.st_nlink;
    f.mode = st.st_mode & 07777;
    f.owner = st.st_uid;
    const CommandResult r =
        RunCommand("getfattr --absolute-names -d -m - " + ShellQuote(path) + " | tail -n +2");
    f.attributes = r.out;
    return f;
}

void Decorate(const std::string& path) {
    const std::string q = ShellQuote(path);
    ASSERT_EQ(
        RunCommand("chmod 640 " + q + " && setfattr -n user.xdg.tags -v rock " + q +
                   " && setfattr -n user.rating -v 0x00ff01 " + q + " && setfacl -m u:65534:rw " +
                   q + (::geteuid() == 0 ? " && chown 65534 " + q : std::string()))
            .exitCode,
        0);
}

void ExpectSameFacts(const FileFacts& before, const FileFacts& after) {
    EXPECT_EQ(after.link, before.link);
    EXPECT_EQ(after.linkText, before.linkText);
    EXPECT_EQ(after.links, before.links);
    EXPECT_EQ(after.mode, before.mode);
    EXPECT_EQ(after.owner, before.owner);
    EXPECT_EQ(after.attributes, before.attributes);
    EXPECT_NE(before.attributes.find("user.xdg.tags"), std::string::npos);
    EXPECT_NE(before.attributes.find("system.posix_acl_access"), std::string::npos);
}

TEST_F(MpegTags, ASaveChangesTheFileUnderEveryNameAndKeepsItsAttributes) {
    // A tag that fits its space: written in place through a symbolic link; the hard link sees
    // it too.
    const std::string real = m_Dir.File("real.mp3");
    MakeRichTaggedMp3(m_Plain, real, 3);
    const std::string hard = m_Dir.File("hard.mp3");
    const std::string link = m_Dir.File("link.mp3");
    std::filesystem::create_hard_link(real, hard);
    std::filesystem::create_symlink("real.mp3", link);
    Decorate(real);
    FileFacts linkBefore = FactsOf(link);
    FileFacts hardBefore = FactsOf(hard);
    SaveMpegTags(link, {"Fits", "", ""});
    ExpectSameFacts(linkBefore, FactsOf(link));
    ExpectSameFacts(hardBefore, FactsOf(hard));
    EXPECT_EQ(FactsOf(link).node, FactsOf(hard).node);
    EXPECT_EQ(Read(hard).title, "Fits");

    // A tag that must grow: the link's target is replaced by a new file with the old one's
    // owner, mode, attributes and ACL; the link stays a link.
    const std::string grows = Copy("grows.mp3");
    const std::string growsLink = m_Dir.File("grows-link.mp3");
    std::filesystem::create_symlink(grows, growsLink);
    Decorate(grows);
    linkBefore = FactsOf(growsLink);
    const Bytes audio = AudioFrames(ReadFile(grows));
    SaveMpegTags(growsLink, {"Длинное название", "", ""});
    ExpectSameFacts(linkBefore, FactsOf(growsLink));
    EXPECT_EQ(Read(grows).title, "Длинное название");
    EXPECT_TRUE(AudioFrames(ReadFile(grows)) == audio);

    // A tag that must grow in a file with two names: refused, saying why, nothing changed.
    const std::string twice = Copy("twice.mp3");
    std::filesystem::create_hard_link(twice, m_Dir.File("twice-too.mp3"));
    const Bytes twiceBefore = ReadFile(twice);
    try {
        SaveMpegTags(twice, {"Длинное название", "", ""});
        ADD_FAILURE() << "a growing tag of a hard-linked file was saved";
    } catch (const CFileException& e) {
        EXPECT_NE(std::string(e.what()).find("hard links"), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(twice), twiceBefore);
    EXPECT_EQ(ReadFile(m_Dir.File("twice-too.mp3")), twiceBefore);

    // WAV text chunks: appended, then overwritten, both in place under every name.
    const std::string wav = SynthWav(m_Dir.File("real.wav"), "-r 44100 -c 2", "0.5 sine 440");
    const std::string wavHard = m_Dir.File("hard.wav");
    const std::string wavLink = m_Dir.File("link.wav");
    std::filesystem::create_hard_link(wav, wavHard);
    std::filesystem::create_symlink("real.wav", wavLink);
    Decorate(wav);
    linkBefore = FactsOf(wavLink);
    hardBefore = FactsOf(wavHard);
    for (const char* title : {"First", "Second"}) {
        CAudioWaveFile f;
        f.SetFileName(wavLink);
        ASSERT_TRUE(f.IsValid());
        f.SetTitle(title);
        f.SaveTags();
        ExpectSameFacts(linkBefore, FactsOf(wavLink));
        ExpectSameFacts(hardBefore, FactsOf(wavHard));
        CAudioWaveFile other;
        other.SetFileName(wavHard);
        ASSERT_TRUE(other.IsValid());
        EXPECT_EQ(other.GetTitle(), title);
    }
}

}  // namespace
}  // namespace sonvara::test
