#include "audio/mpegtags.h"

#include <taglib/apetag.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "audio/fileexception.h"
#include "audio/id3v2raw.h"
#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/fileinfo.h"
#include "platform/fileops.h"
#include "platform/text.h"

namespace sonvara {

namespace {

using id3::Bytes;

constexpr std::size_t kV1 = 128;
constexpr std::size_t kApeFooter = 32;
// Room left after the frames when a tag has to grow, so that the next edits fit in place.
constexpr std::size_t kGrowPadding = 2048;

// The parts of a file where tags can be: the ID3 version 2 tag at the start (as long as its
// header says, never past the end of the file) and the end, where an APE tag and an ID3
// version 1 tag lie. Nothing between them is read, however large the file.
struct TagRegions {
    std::int64_t size = 0;
    Bytes head;  // the ID3 version 2 tag at the start; empty when there is none
    std::uint64_t headSpan = 0;
    std::int64_t tailStart = 0;
    Bytes tail;
    bool hasV1 = false;
    std::int64_t apeFooter = -1;  // the APE footer's position in tail, -1 when none
};

std::uint32_t Le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool ReadExactly(CFile& file, std::int64_t at, Bytes& out, std::size_t count) {
    out.assign(count, 0);
    return count == 0 || file.ReadAt(at, out.data(), count) == count;
}

bool ReadRegions(CFile& file, TagRegions& r) {
    r.size = file.Size();
    if (r.size < 0) {
        return false;
    }
    const auto size = static_cast<std::uint64_t>(r.size);
    Bytes first;
    if (!ReadExactly(file, 0, first, static_cast<std::size_t>(std::min<std::uint64_t>(size, 10)))) {
        return false;
    }
    r.headSpan = id3::TagSpan(first.data(), first.size());
    const std::uint64_t headSize = std::min(r.headSpan, size);
    if (headSize > 0 && !ReadExactly(file, 0, r.head, static_cast<std::size_t>(headSize))) {
        return false;
    }
    const std::uint64_t room = size - headSize;  // the tail never overlaps the head
    std::uint64_t tailSize = std::min<std::uint64_t>(room, kV1 + kApeFooter);
    r.tailStart = static_cast<std::int64_t>(size - tailSize);
    if (!ReadExactly(file, r.tailStart, r.tail, static_cast<std::size_t>(tailSize))) {
        return false;
    }
    r.hasV1 = tailSize >= kV1 && std::memcmp(&r.tail[tailSize - kV1], "TAG", 3) == 0;
    const std::uint64_t apeEnd = tailSize - (r.hasV1 ? kV1 : 0);
    if (apeEnd >= kApeFooter && std::memcmp(&r.tail[apeEnd - kApeFooter], "APETAGEX", 8) == 0) {
        const std::uint8_t* footer = &r.tail[apeEnd - kApeFooter];
        // The size counts the items and the footer; a header is 32 bytes more.
        const std::uint64_t ape = static_cast<std::uint64_t>(Le32(footer + 12)) +
                                  ((Le32(footer + 20) & 0x80000000u) != 0 ? kApeFooter : 0);
        const std::uint64_t wanted =
            std::min<std::uint64_t>(room, ape + (r.hasV1 ? kV1 : 0) + kApeFooter);
        if (wanted > tailSize) {
            tailSize = wanted;
            r.tailStart = static_cast<std::int64_t>(size - tailSize);
            if (!ReadExactly(file, r.tailStart, r.tail, static_cast<std::size_t>(tailSize))) {
                return false;
            }
        }
        r.apeFooter = static_cast<std::int64_t>(tailSize - (r.hasV1 ? kV1 : 0) - kApeFooter);
    }
    return true;
}

// The tag library's view of the tag regions, one after the other in memory: it reads each tag
// at its place there and never sees the rest of the file.
class CRegionFile : public TagLib::File {
public:
    explicit CRegionFile(const TagRegions& r) : TagLib::File(&m_Stream), m_Stream(Join(r)) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }

private:
    static TagLib::ByteVector Join(const TagRegions& r) {
        TagLib::ByteVector all(reinterpret_cast<const char*>(r.head.data()),
                               static_cast<unsigned int>(r.head.size()));
        all.append(TagLib::ByteVector(reinterpret_cast<const char*>(r.tail.data()),
                                      static_cast<unsigned int>(r.tail.size())));
        return all;
    }
    // Made before the base class reads from it: the base only keeps the pointer.
    TagLib::ByteVectorStream m_Stream;
};

std::string Utf8(const TagLib::String& s) {
    return s.to8Bit(true);
}

std::string FrameText(TagLib::ID3v2::Tag* tag, const char* id) {
    if (tag == nullptr) {
        return {};
    }
    const TagLib::ID3v2::FrameList& frames = tag->frameListMap()[id];
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const std::string text = Utf8(frame->toString());
        if (!text.empty()) {
            return text;
        }
    }
    return {};
}

MpegTagTexts TextsOf(const TagRegions& r) {
    MpegTagTexts texts;
    CRegionFile file(r);
    std::unique_ptr<TagLib::ID3v2::Tag> v2;
    if (!r.head.empty()) {
        v2 = std::make_unique<TagLib::ID3v2::Tag>(&file, 0);
    }
    texts.title = FrameText(v2.get(), "TIT2");
    for (const char* id : {"TPE1", "TPE2", "TPE3", "TCOM"}) {
        if (texts.artist.empty()) {
            texts.artist = FrameText(v2.get(), id);
        }
    }
    texts.album = FrameText(v2.get(), "TALB");
    const long tailAt = static_cast<long>(r.head.size());
    std::unique_ptr<TagLib::Tag> v1;
    if (r.hasV1) {
        v1 = std::make_unique<TagLib::ID3v1::Tag>(&file,
                                                  tailAt + static_cast<long>(r.tail.size() - kV1));
    }
    std::unique_ptr<TagLib::Tag> ape;
    if (r.apeFooter >= 0) {
        ape = std::make_unique<TagLib::APE::Tag>(&file, tailAt + static_cast<long>(r.apeFooter));
    }
    for (TagLib::Tag* other : {v1.get(), ape.get()}) {
        if (other == nullptr) {
            continue;
        }
        if (texts.title.empty()) {
            texts.title = Utf8(other->title());
        }
        if (texts.artist.empty()) {
            texts.artist = Utf8(other->artist());
        }
        if (texts.album.empty()) {
            texts.album = Utf8(other->album());
        }
    }
    return texts;
}

[[noreturn]] void Fail(CFileException::Cause cause, const std::string& path,
                       const std::string& why) {
    throw CFileException(cause, 0, path, "cannot save the tags: " + why);
}

[[noreturn]] void FailWrite(CFile& file, const std::string& path, const std::string& what) {
    // A full disk, a quota or a size limit named as such.
    Fail(file.DiskFull() ? CFileException::diskFull : CFileException::genericException, path,
         what + ": " +
             (file.ErrorCode() != 0 ? WriteErrorOf(file.ErrorCode()).text : file.ErrorText()));
}

constexpr const char* kIds[3] = {"TIT2", "TPE1", "TALB"};
constexpr std::size_t kV1Fields[3] = {3, 33, 63};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The description of a raw TXXX frame, for comparing (characters beyond ASCII as '?').
std::string TxxxDescription(const id3::RawFrame& frame) {
    const Bytes& b = frame.bytes;
    if (b.size() < 11) {
        return {};
    }
    const std::uint8_t encoding = b[10];
    std::string out;
    if (encoding == 0 || encoding == 3) {
        for (std::size_t i = 11; i < b.size() && b[i] != 0; ++i) {
            out.push_back(b[i] < 0x80 ? static_cast<char>(b[i]) : '?');
        }
        return out;
    }
    std::size_t i = 11;
    bool little = false;  // encoding 2: UTF-16 big-endian without a byte-order mark
    if (encoding == 1 && i + 1 < b.size()) {
        little = b[i] == 0xFF && b[i + 1] == 0xFE;
        i += 2;
    }
    for (; i + 1 < b.size(); i += 2) {
        const unsigned unit = little ? (b[i] | b[i + 1] << 8) : (b[i] << 8 | b[i + 1]);
        if (unit == 0) {
            break;
        }
        out.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    }
    return out;
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A TXXX frame with the description and the value: plain ASCII as ISO-8859-1, other text as
// UTF-8 in version 2.4 (version 2.3 has no UTF-8: refused there).
std::optional<id3::RawFrame> TxxxFrame(int major, const std::string& description,
                                       const std::string& value) {
    const bool ascii = IsAscii(description) && IsAscii(value);
    if (!ascii && major != 4) {
        return std::nullopt;
    }
    Bytes data;
    data.push_back(ascii ? 0 : 3);
    data.insert(data.end(), description.begin(), description.end());
    data.push_back(0);
    data.insert(data.end(), value.begin(), value.end());
    id3::RawFrame frame;
    frame.id = "TXXX";
    frame.bytes = {'T', 'X', 'X', 'X'};
    const auto n = static_cast<std::uint32_t>(data.size());
    if (major == 4) {  // sync-safe
        for (int shift : {21, 14, 7, 0}) {
            frame.bytes.push_back(static_cast<std::uint8_t>((n >> shift) & 0x7F));
        }
    } else {
        for (int shift : {24, 16, 8, 0}) {
            frame.bytes.push_back(static_cast<std::uint8_t>(n >> shift));
        }
    }
    frame.bytes.push_back(0);
    frame.bytes.push_back(0);
    frame.bytes.insert(frame.bytes.end(), data.begin(), data.end());
    return frame;
}

// Every TXXX frame of the description (in any letter case) gives way to one with the value.
bool ReplaceUserText(id3::RawTag& tag, const std::string& description, const std::string& value) {
    std::optional<id3::RawFrame> frame = TxxxFrame(tag.major, description, value);
    if (!frame) {
        return false;
    }
    const std::string wanted = Upper(description);
    auto& frames = tag.frames;
    frames.erase(std::remove_if(frames.begin(), frames.end(),
                                [&](const id3::RawFrame& f) {
                                    return f.id == "TXXX" && Upper(TxxxDescription(f)) == wanted;
                                }),
                 frames.end());
    frames.push_back(std::move(*frame));
    return true;
}

// The same through the tag library (a version 2.2 tag made 2.4).
void SetUserTextFrame(TagLib::ID3v2::Tag& tag, const std::string& description,
                      const std::string& value) {
    const std::string wanted = Upper(description);
    const TagLib::ID3v2::FrameList frames = tag.frameListMap()["TXXX"];
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (user != nullptr && Upper(Utf8(user->description())) == wanted) {
            tag.removeFrame(user, true);
        }
    }
    auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::UTF8);
    frame->setDescription(TagLib::String(description, TagLib::String::UTF8));
    frame->setText(TagLib::String(value, TagLib::String::UTF8));
    tag.addFrame(frame);
}

// A version 2.2 tag, or one whose frames cannot be taken apart, made version 2.4 by the tag
// library with the changed texts.
Bytes RenderWithTagLib(const TagRegions& r, const std::string* texts[3], const bool change[3],
                       const UserTextFrames& userTexts) {
    TagRegions headOnly;
    headOnly.head = r.head;
    CRegionFile file(headOnly);
    TagLib::ID3v2::Tag tag(&file, 0);
    for (int i = 0; i < 3; ++i) {
        if (change[i]) {
            tag.removeFrames(kIds[i]);
            auto* frame = new TagLib::ID3v2::TextIdentificationFrame(kIds[i], TagLib::String::UTF8);
            frame->setText(TagLib::String(*texts[i], TagLib::String::UTF8));
            tag.addFrame(frame);
        }
    }
    for (const auto& [description, value] : userTexts) {
        SetUserTextFrame(tag, description, value);
    }
    const TagLib::ByteVector out = tag.render(TagLib::ID3v2::v4);
    return Bytes(out.begin(), out.end());
}

// Replaces the file's start (oldSpan bytes) with head and its ID3 version 1 tag with v1, in a
// new file that takes the place of the real file behind any link, its owner, mode and
// attributes carried over.
void RewriteFile(const std::string& path, CFile& in, const TagRegions& r, std::uint64_t oldSpan,
                 const Bytes& head, const Bytes& v1) {
    if (const std::uint64_t links = HardLinkCount(path); links > 1) {
        Fail(CFileException::genericException, path,
             "the tag must grow, and the file has " + std::to_string(links) +
                 " names (hard links); a new file would leave the other names with the old "
                 "tags, so nothing was changed");
    }
    std::error_code ec;
    const std::string real = std::filesystem::canonical(path, ec).string();
    if (ec) {
        Fail(CFileException::genericException, path, ec.message());
    }
    CAtomicFile copy(real);
    copy.SetCopyAttributes(true);
    FileOpError error;
    if (!copy.Create(error)) {
        Fail(error.diskFull ? CFileException::diskFull : CFileException::genericException, path,
             error.text);
    }
    CFile out;
    if (!out.Open(copy.TempPath(), CFile::Mode::kReadWrite)) {
        FailWrite(out, path, "cannot write the new file");
    }
    std::int64_t at = 0;
    if (!out.WriteAt(0, head.data(), head.size())) {
        FailWrite(out, path, "cannot write the new file");
    }
    at += static_cast<std::int64_t>(head.size());
    const std::int64_t audioEnd = r.size - (r.hasV1 ? static_cast<std::int64_t>(kV1) : 0);
    std::vector<std::uint8_t> buffer(1 << 20);
    for (auto from = static_cast<std::int64_t>(oldSpan); from < audioEnd;) {
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(audioEnd - from, buffer.size()));
        if (in.ReadAt(from, buffer.data(), want) != want) {
            Fail(CFileException::genericException, path, "cannot read the file: " + in.ErrorText());
        }
        if (!out.WriteAt(at, buffer.data(), want)) {
            FailWrite(out, path, "cannot write the new file");
        }
        from += static_cast<std::int64_t>(want);
        at += static_cast<std::int64_t>(want);
    }
    if (!out.WriteAt(at, v1.data(), v1.size())) {
        FailWrite(out, path, "cannot write the new file");
    }
    if (!out.Close()) {
        FailWrite(out, path, "cannot write the new file");
    }
    in.Close();
    if (!copy.Commit(error)) {
        Fail(error.diskFull ? CFileException::diskFull : CFileException::genericException, path,
             error.text);
    }
}

// Frames that describe the audio of the file they are in, not the music: a new encoding makes
// them untrue.
bool DescribesTheOldAudio(const TagLib::ID3v2::Frame* frame) {
    static const char* const kOldAudioIds[] = {"RVA2", "RVAD", "RGAD", "EQUA", "EQU2",
                                               "TLEN", "TSIZ", "MLLT", "SEEK", "ASPI",
                                               "TSSE", "TFLT", "SYTC"};
    const TagLib::ByteVector id = frame->frameID();
    for (const char* k : kOldAudioIds) {
        if (id == TagLib::ByteVector(k, 4)) {
            return true;
        }
    }
    TagLib::String description;
    if (const auto* txxx = dynamic_cast<const TagLib::ID3v2::UserTextIdentificationFrame*>(frame)) {
        description = txxx->description();
    } else if (const auto* comm = dynamic_cast<const TagLib::ID3v2::CommentsFrame*>(frame)) {
        description = comm->description();
    } else {
        return false;
    }
    const TagLib::String upper = description.upper();
    return upper.startsWith("REPLAYGAIN_") || upper.startsWith("MP3GAIN_") || upper == "ITUNSMPB" ||
           upper == "ITUNNORM";
}

std::string InfoText(const Bytes& data, std::size_t at, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data.data() + at), size);
    text.resize(std::strlen(text.c_str()));  // up to the first zero
    return TextFromFile(text);
}

// The LIST/INFO texts of a WAV file as ID3 version 2 frame ids and texts; the chunks before
// it are skipped by their sizes, never read.
std::vector<std::pair<std::string, std::string>> WaveInfoTexts(const std::string& path) {
    static const std::pair<const char*, const char*> kMap[] = {
        {"INAM", "TIT2"}, {"IART", "TPE1"}, {"IPRD", "TALB"}, {"ICRD", "TDRC"}, {"IGNR", "TCON"},
        {"ITRK", "TRCK"}, {"IPRT", "TRCK"}, {"ICOP", "TCOP"}, {"ICMT", "COMM"}, {"ICMS", "TCOM"}};
    std::vector<std::pair<std::string, std::string>> texts;
    CFile file;
    Bytes head;
    if (!file.Open(path, CFile::Mode::kRead) || !ReadExactly(file, 0, head, 12) ||
        std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0) {
        return texts;
    }
    const std::int64_t size = file.Size();
    std::int64_t at = 12;
    for (int chunks = 0; chunks < 10000 && at + 8 <= size; ++chunks) {
        if (!ReadExactly(file, at, head, 12)) {
            break;
        }
        const std::uint32_t chunkSize = Le32(head.data() + 4);
        if (std::memcmp(head.data(), "LIST", 4) == 0 &&
            std::memcmp(head.data() + 8, "INFO", 4) == 0 && chunkSize >= 4 &&
            chunkSize <= (1u << 20) && at + 8 + chunkSize <= size) {
            Bytes list;
            if (!ReadExactly(file, at + 12, list, chunkSize - 4)) {
                break;
            }
            for (std::size_t i = 0; i + 8 <= list.size();) {
                const std::size_t n = Le32(list.data() + i + 4);
                if (n > list.size() - i - 8) {
                    break;
                }
                for (const auto& [info, frame] : kMap) {
                    if (std::memcmp(list.data() + i, info, 4) == 0) {
                        const std::string text = InfoText(list, i + 8, n);
                        if (!text.empty()) {
                            texts.emplace_back(frame, text);
                        }
                    }
                }
                i += 8 + n + (n & 1);
            }
        }
        at += 8 + static_cast<std::int64_t>(chunkSize) + (chunkSize & 1);
    }
    return texts;
}

void SetText(TagLib::ID3v2::Tag& tag, const std::string& id, const std::string& utf8) {
    const TagLib::String text(utf8, TagLib::String::UTF8);
    if (id == "COMM") {
        auto* frame = new TagLib::ID3v2::CommentsFrame(TagLib::String::UTF8);
        frame->setText(text);
        tag.addFrame(frame);
        return;
    }
    const TagLib::ByteVector frameId(id.data(), 4);
    tag.removeFrames(frameId);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(frameId, TagLib::String::UTF8);
    frame->setText(text);
    tag.addFrame(frame);
}

}  // namespace

std::vector<std::uint8_t> MakeOutputId3v2Tag(const MpegTagTexts& texts, const std::string& source,
                                             bool wavSource) {
    TagRegions r;
    CFile file;
    if (!wavSource && !source.empty() && file.Open(source, CFile::Mode::kRead)) {
        ReadRegions(file, r);
        file.Close();
        r.tail.clear();
    }
    CRegionFile regions(r);
    std::unique_ptr<TagLib::ID3v2::Tag> tag =
        r.head.empty() ? std::make_unique<TagLib::ID3v2::Tag>()
                       : std::make_unique<TagLib::ID3v2::Tag>(&regions, 0);
    TagLib::ID3v2::FrameList old;
    for (TagLib::ID3v2::Frame* frame : tag->frameList()) {
        if (DescribesTheOldAudio(frame)) {
            old.append(frame);
        }
    }
    for (TagLib::ID3v2::Frame* frame : old) {
        tag->removeFrame(frame);
    }
    if (wavSource && !source.empty()) {
        for (const auto& [id, text] : WaveInfoTexts(source)) {
            SetText(*tag, id, text);
        }
    }
    const std::pair<const char*, const std::string*> own[] = {
        {"TIT2", &texts.title}, {"TPE1", &texts.artist}, {"TALB", &texts.album}};
    for (const auto& [id, text] : own) {
        if (!text->empty() && FrameText(tag.get(), id) != *text) {
            SetText(*tag, id, *text);
        }
    }
    if (tag->frameList().isEmpty()) {
        return {};
    }
    const TagLib::ByteVector bytes = tag->render(TagLib::ID3v2::v4);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

MpegTagTexts TextsOfId3v2Tag(const std::vector<std::uint8_t>& tag) {
    TagRegions r;
    r.head = tag;
    return r.head.empty() ? MpegTagTexts{} : TextsOf(r);
}

MpegTagTexts ReadMpegTags(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return {};  // never let the tag reader block on a FIFO or read a folder
    }
    CFile file;
    TagRegions r;
    if (!file.Open(path, CFile::Mode::kRead) || !ReadRegions(file, r)) {
        return {};
    }
    return TextsOf(r);
}

void SaveMpegTags(const std::string& path, const MpegTagTexts& texts,
                  const UserTextFrames& userTexts) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        Fail(CFileException::genericException, path, "not a file");
    }
    if (IsReadOnlyPath(path)) {
        Fail(CFileException::accessDenied, path, "the file is read-only");
    }
    // Written through any link: the file is changed under every name it has.
    CFile file;
    if (!file.Open(path, CFile::Mode::kReadWrite)) {
        Fail(CFileException::accessDenied, path, file.ErrorText());
    }
    TagRegions r;
    if (!ReadRegions(file, r)) {
        Fail(CFileException::genericException, path, "cannot read the file: " + file.ErrorText());
    }
    if (r.headSpan > static_cast<std::uint64_t>(r.size)) {
        Fail(CFileException::genericException, path,
             "its ID3 version 2 tag claims to run past the end of the file");
    }
    // Only the texts that differ from what the file holds now are written.
    const MpegTagTexts now = TextsOf(r);
    const std::string* wanted[3] = {&texts.title, &texts.artist, &texts.album};
    const std::string* held[3] = {&now.title, &now.artist, &now.album};
    bool change[3] = {};
    bool latin1 = true;
    for (int i = 0; i < 3; ++i) {
        change[i] = !wanted[i]->empty() && *wanted[i] != *held[i];
        latin1 = latin1 && (!change[i] || id3::FitsLatin1(*wanted[i]));
    }
    const bool textChanges = change[0] || change[1] || change[2];
    if (!textChanges && userTexts.empty()) {
        return;
    }

    // The ID3 version 2 tag: only the changed text frames are new; every other frame keeps its
    // bytes, the tag its version. A file with only version 1 gets a version 2.4 tag when a
    // text does not fit Latin-1.
    const std::uint64_t oldSpan = r.head.size();
    Bytes head;
    bool headChanges = false;
    if (oldSpan > 0) {
        headChanges = true;
        if (std::optional<id3::RawTag> raw = id3::ParseTag(r.head)) {
            for (int i = 0; i < 3; ++i) {
                if (change[i]) {
                    id3::ReplaceFrame(*raw, id3::TextFrame(raw->major, kIds[i], *wanted[i]));
                }
            }
            for (const auto& [description, value] : userTexts) {
                if (!ReplaceUserText(*raw, description, value)) {
                    Fail(CFileException::genericException, path,
                         "an ID3 version 2.3 tag cannot hold the text of " + description);
                }
            }
            head = id3::RenderTag(*raw);
            head = id3::RenderTag(*raw, head.size() <= oldSpan ? static_cast<std::size_t>(oldSpan)
                                                               : head.size() + kGrowPadding);
        } else {
            head = RenderWithTagLib(r, wanted, change, userTexts);
        }
    } else if (!latin1 || !userTexts.empty()) {
        headChanges = true;
        id3::RawTag fresh;
        for (int i = 0; i < 3; ++i) {
            if (!wanted[i]->empty()) {
                id3::ReplaceFrame(fresh, id3::TextFrame(4, kIds[i], *wanted[i]));
            }
        }
        for (const auto& [description, value] : userTexts) {
            ReplaceUserText(fresh, description, value);  // version 2.4 holds any text
        }
        head = id3::RenderTag(fresh, id3::RenderTag(fresh).size() + kGrowPadding);
    }

    // The ID3 version 1 tag: updated where it is, appended when there is none.
    Bytes v1(kV1, 0);
    if (r.hasV1) {
        std::copy(r.tail.end() - kV1, r.tail.end(), v1.begin());
    } else {
        std::memcpy(v1.data(), "TAG", 3);
        v1[127] = 255;  // no genre
    }
    for (int i = 0; i < 3; ++i) {
        if (change[i]) {
            id3::PutId3v1Field(v1.data(), kV1Fields[i], *wanted[i]);
        }
    }

    // Only frames of its own (ReplayGain): the ID3 version 1 tag is neither added nor changed.
    const bool v1Changes = textChanges;
    if (!v1Changes && r.hasV1) {
        std::copy(r.tail.end() - kV1, r.tail.end(), v1.begin());
    }
    if (headChanges && head.size() != oldSpan) {
        RewriteFile(path, file, r, oldSpan, head, v1Changes || r.hasV1 ? v1 : Bytes{});
        return;
    }
    // In place: each tag region is one write of its complete new bytes; the audio between
    // them is never touched.
    if (headChanges && !file.WriteAt(0, head.data(), head.size())) {
        FailWrite(file, path, "cannot write the ID3 version 2 tag");
    }
    const std::int64_t v1At = r.hasV1 ? r.size - static_cast<std::int64_t>(kV1) : r.size;
    if (v1Changes && !file.WriteAt(v1At, v1.data(), v1.size())) {
        if (!r.hasV1) {
            file.Truncate(r.size);
        }
        FailWrite(file, path, "cannot write the ID3 version 1 tag");
    }
    if (!file.Sync() || !file.Close()) {
        FailWrite(file, path, "cannot complete the file");
    }
}

}  // namespace sonvara
