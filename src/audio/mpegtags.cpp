#include "audio/mpegtags.h"

#include <taglib/apetag.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2frame.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <algorithm>
#include <cctype>

#include <filesystem>
#include <vector>

#include "audio/fileexception.h"
#include "platform/atomicfile.h"
#include "platform/file.h"
#include "platform/fileinfo.h"

namespace sonvara {

namespace {

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

// The text as ID3 version 1 can hold it: Latin-1, anything beyond it as '?'.
TagLib::String Latin1Only(const std::string& utf8) {
    TagLib::String text(utf8, TagLib::String::UTF8);
    TagLib::wstring wide = text.toWString();
    for (auto& c : wide) {
        if (static_cast<unsigned long>(c) > 0xFF) {
            c = L'?';
        }
    }
    return TagLib::String(wide);
}

void SetTextFrame(TagLib::ID3v2::Tag* tag, const char* id, const std::string& text,
                  TagLib::String::Type encoding) {
    tag->removeFrames(id);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, encoding);
    frame->setText(TagLib::String(text, TagLib::String::UTF8));
    tag->addFrame(frame);
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Replaces the TXXX frames of the description (in any letter case) by one with the value.
void SetUserTextFrame(TagLib::ID3v2::Tag* tag, const std::string& description,
                      const std::string& value) {
    const std::string wanted = Upper(description);
    const TagLib::ID3v2::FrameList frames = tag->frameListMap()["TXXX"];
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* user = dynamic_cast<TagLib::ID3v2::UserTextIdentificationFrame*>(frame);
        if (user != nullptr && Upper(Utf8(user->description())) == wanted) {
            tag->removeFrame(user, true);
        }
    }
    auto* frame = new TagLib::ID3v2::UserTextIdentificationFrame(TagLib::String::Latin1);
    frame->setDescription(TagLib::String(description, TagLib::String::UTF8));
    frame->setText(TagLib::String(value, TagLib::String::UTF8));
    tag->addFrame(frame);
}

[[noreturn]] void Fail(CFileException::Cause cause, const std::string& path,
                       const std::string& why) {
    throw CFileException(cause, 0, path, "cannot save the tags: " + why);
}

}  // namespace

MpegTagTexts ReadMpegTags(const std::string& path) {
    MpegTagTexts texts;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return texts;  // never let the tag reader block on a FIFO or read a folder
    }
    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid()) {
        return texts;
    }
    TagLib::ID3v2::Tag* v2 = file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
    texts.title = FrameText(v2, "TIT2");
    for (const char* id : {"TPE1", "TPE2", "TPE3", "TCOM"}) {
        if (texts.artist.empty()) {
            texts.artist = FrameText(v2, id);
        }
    }
    texts.album = FrameText(v2, "TALB");
    for (TagLib::Tag* other :
         {static_cast<TagLib::Tag*>(file.hasID3v1Tag() ? file.ID3v1Tag() : nullptr),
          static_cast<TagLib::Tag*>(file.hasAPETag() ? file.APETag() : nullptr)}) {
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

void SaveMpegTags(const std::string& path, const MpegTagTexts& texts,
                  const UserTextFrames& userTexts) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        Fail(CFileException::genericException, path, "not a file");
    }
    if (IsReadOnlyPath(path)) {
        Fail(CFileException::accessDenied, path, "the file is read-only");
    }
    // The tag library works on a copy in memory; only this code writes to the disk.
    CFile in;
    if (!in.Open(path, CFile::Mode::kRead)) {
        Fail(CFileException::accessDenied, path, in.ErrorText());
    }
    const std::int64_t size = in.Size();
    if (size > 0x7FFFFFFF) {
        Fail(CFileException::genericException, path, "the file is too large to retag");
    }
    TagLib::ByteVector bytes(static_cast<unsigned int>(std::max<std::int64_t>(size, 0)), 0);
    if (size < 0 || in.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        Fail(CFileException::genericException, path, "cannot read the file: " + in.ErrorText());
    }
    in.Close();

    TagLib::ByteVectorStream stream(bytes);
    {
        TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
        if (!file.isValid()) {
            Fail(CFileException::genericException, path, "not an MPEG audio file");
        }
        const bool userOnly = !userTexts.empty() && texts.title.empty() && texts.artist.empty() &&
                              texts.album.empty();
        int tags = 0;
        if (!userOnly) {
            TagLib::ID3v1::Tag* v1 = file.ID3v1Tag(true);
            if (!texts.title.empty()) {
                v1->setTitle(Latin1Only(texts.title));
            }
            if (!texts.artist.empty()) {
                v1->setArtist(Latin1Only(texts.artist));
            }
            if (!texts.album.empty()) {
                v1->setAlbum(Latin1Only(texts.album));
            }
            tags |= TagLib::MPEG::File::ID3v1;
        }
        TagLib::ID3v2::Version version = TagLib::ID3v2::v4;
        if (file.hasID3v2Tag() || !userTexts.empty()) {
            const bool had = file.hasID3v2Tag();
            TagLib::ID3v2::Tag* v2 = file.ID3v2Tag(true);
            // 2.3 stays 2.3 (texts in UTF-16), 2.4 stays 2.4 (UTF-8); 2.2 cannot be written
            // and becomes 2.4.
            const bool v23 = had && v2->header()->majorVersion() == 3;
            version = v23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4;
            const TagLib::String::Type encoding =
                v23 ? TagLib::String::UTF16 : TagLib::String::UTF8;
            if (!texts.title.empty()) {
                SetTextFrame(v2, "TIT2", texts.title, encoding);
            }
            if (!texts.artist.empty()) {
                SetTextFrame(v2, "TPE1", texts.artist, encoding);
            }
            if (!texts.album.empty()) {
                SetTextFrame(v2, "TALB", texts.album, encoding);
            }
            for (const auto& [description, value] : userTexts) {
                SetUserTextFrame(v2, description, value);
            }
            tags |= TagLib::MPEG::File::ID3v2;
        }
        if (!file.save(tags, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate)) {
            Fail(CFileException::genericException, path, "the tag library could not render them");
        }
    }
    const TagLib::ByteVector* result = stream.data();
    // A new file takes the old one's place (its mode kept); a link is replaced, never written
    // through, and nothing is left behind when writing fails.
    FileOpError error;
    if (!WriteFileAtomically(path, result->data(), result->size(), error)) {
        Fail(error.diskFull ? CFileException::diskFull : CFileException::genericException, path,
             error.text);
    }
}

}  // namespace sonvara
