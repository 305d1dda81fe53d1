#include "audio/audiowavefile.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "audio/fileexception.h"
#include "audio/makevalidfilename.h"
#include "audio/riff/littleendian.h"
#include "platform/fileinfo.h"
#include "platform/fileops.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace sonvara {

namespace {

constexpr std::size_t kTextField = 64;
// A format block larger than this is not a format block.
constexpr std::uint32_t kMaxFormatBytes = 64 * 1024;
// Conversion buffers hold at most one second of source; a file claiming more per second than this
// is read in pieces of this size.
constexpr std::size_t kMaxSourceBuffer = 4 * 1024 * 1024;
constexpr std::size_t kMaxConvertedBuffer = 32 * 1024;

std::string ReadTextField(const std::uint8_t* field) {
    std::size_t n = 0;
    while (n < kTextField && field[n] != 0) {
        ++n;
    }
    return TextFromFile(std::string_view(reinterpret_cast<const char*>(field), n));
}

void FillTextField(const std::string& text, std::uint8_t* field) {
    std::memset(field, 0, kTextField);
    const std::size_t n = Utf8CutLength(text, kTextField);
    std::memcpy(field, text.data(), n);
}

}  // namespace

CAudioWaveFile::CAudioWaveFile() : m_pRiff(std::make_unique<CRiffFile>()) {}

CAudioWaveFile::~CAudioWaveFile() {
    m_pRiff->Close();
    FreeConverter();
}

std::int16_t CAudioWaveFile::GetBitsPerSample() {
    return m_Format ? static_cast<std::int16_t>(m_Format->bitsPerSample) : 0;
}

std::uint32_t CAudioWaveFile::GetSampleRate() {
    return m_Format ? m_Format->samplesPerSec : 0;
}

std::int16_t CAudioWaveFile::GetChannels() {
    return m_Format ? static_cast<std::int16_t>(m_Format->channels) : 0;
}

bool CAudioWaveFile::IsValid() {
    if (m_Changed) {
        m_Valid = Open(OPEN_PARSE);
        m_Changed = false;
        m_pRiff->Close();
    }
    return m_Valid;
}

bool CAudioWaveFile::Open(std::uint32_t mode) {
    const bool parse = (mode & OPEN_PARSE) != 0;
    if (m_pRiff->IsOpen()) {
        if (m_Valid && !m_Writing) {
            return true;
        }
        m_pRiff->Close();
    }
    m_Writing = false;
    m_ReadFailed = false;
    const CRiffFile::Mode fileMode =
        (mode & 0x03) != 0 ? CRiffFile::Mode::kReadWrite : CRiffFile::Mode::kRead;
    m_Unreadable.clear();
    if (!m_pRiff->Open(m_FileName, fileMode)) {
        m_Unreadable = m_pRiff->ErrorText();
        m_Valid = false;
        return false;
    }
    if (!parse) {
        m_Valid = true;
        return true;
    }
    // Valid only once the header has been understood, so that a later Open does not take a
    // half-parsed file for a good one.
    m_Valid = Parse();
    return m_Valid;
}

bool CAudioWaveFile::Refuse(const std::string& why) {
    // A read error of the file is the reason, whatever the header looked like so far.
    m_Unreadable = m_pRiff->ErrorCode() != 0 ? m_pRiff->ErrorText() : why;
    return false;
}

bool CAudioWaveFile::Parse() {
    CRiffFile& riff = *m_pRiff;
    m_RiffChunk = RiffChunk{};
    m_RiffChunk.formType = kFourccWave;
    if (!riff.Seek(0) || !riff.Descend(m_RiffChunk, nullptr, kRiffFindRiff)) {
        return Refuse("not a RIFF WAVE file");
    }
    const std::int64_t firstChunk = riff.Tell();

    RiffChunk fmt;
    fmt.id = kFourccFmt;
    if (!riff.Descend(fmt, &m_RiffChunk, kRiffFindChunk) || fmt.size > kMaxFormatBytes) {
        return Refuse("no WAV format chunk");
    }
    std::vector<std::uint8_t> block(fmt.size + 16, 0);
    if (riff.Read(block.data(), fmt.size) != fmt.size) {
        return Refuse("the WAV format chunk is cut short");
    }
    const WaveFormat format = WaveFormat::Parse(block.data(), fmt.size);
    if (format.channels == 0 || format.samplesPerSec == 0 || format.avgBytesPerSec == 0 ||
        format.blockAlign == 0) {
        return Refuse("invalid WAV format chunk");  // nothing could be read or timed with it
    }
    m_Format = format;

    // A "fact" chunk tells how many frames a compressed format really holds.
    m_FactFrames = 0;
    RiffChunk fact;
    fact.id = kFourccFact;
    if (format.formatTag != WAVE_FORMAT_PCM && riff.Seek(firstChunk) &&
        riff.Descend(fact, &m_RiffChunk, kRiffFindChunk) && fact.size >= 4) {
        std::uint8_t count[4];
        if (riff.Read(count, 4) == 4) {
            m_FactFrames = GetLE32(count);
        }
    }

    m_DataChunk = RiffChunk{};
    m_DataChunk.id = kFourccData;
    if (!riff.Seek(firstChunk) || !riff.Descend(m_DataChunk, &m_RiffChunk, kRiffFindChunk)) {
        return Refuse("no WAV data chunk");
    }
    m_DataOffset = m_DataChunk.dataOffset;
    m_DataEnd = m_DataOffset + m_DataChunk.size;  // the size is cut to what the file holds
    const std::int64_t ms =
        static_cast<std::int64_t>(m_DataChunk.size) * 1000 / format.avgBytesPerSec - 400;
    m_Length = static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, 0, INT32_MAX));

    // The three text chunks, each looked for only where the one before it ended.
    riff.Ascend(m_DataChunk);
    const std::uint32_t ids[3] = {kFourccTitl, kFourccIntr, kFourccAlbu};
    std::string* texts[3] = {&m_Title, &m_Artist, &m_Album};
    bool inSequence = true;
    for (int i = 0; i < 3; ++i) {
        RiffChunk text;
        if (inSequence && riff.Descend(text, &m_RiffChunk, 0) && text.id == ids[i]) {
            std::uint8_t field[kTextField] = {};
            riff.Read(field, std::min<std::size_t>(kTextField, text.size));
            *texts[i] = ReadTextField(field);
            riff.Ascend(text);
        } else {
            inSequence = false;
            texts[i]->clear();
        }
    }

    riff.Seek(m_DataOffset);
    m_ReadAt = m_DataOffset;
    m_Position = 0;
    return true;
}

void CAudioWaveFile::OpenStream() {
    FreeConverter();
    m_Unreadable.clear();
    m_Converted = false;
    if (!Open(OPEN_PARSE) || !m_Format) {
        if (m_Unreadable.empty()) {
            m_Unreadable = "not a readable WAV file";
        }
        return;
    }
    m_Position = 0;
    m_Delivered = 0;
    m_ReadFailed = false;
    m_ReadBlock = 4;
    m_SourceDone = false;
    m_ReadAt = m_DataOffset;
    m_pRiff->Seek(m_DataOffset);
    const WaveFormat& f = *m_Format;
    if (f.formatTag == WAVE_FORMAT_PCM && f.bitsPerSample == 16 && f.channels <= 2) {
        return;  // read as it is stored
    }
    auto converter = std::make_unique<CWaveConverter>();
    if (!converter->Open(f, MakeCdFormat())) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%04X", f.formatTag);
        m_Unreadable = std::string("unsupported WAV format (format tag ") + tag + ", " +
                       converter->Why() + ")";
        return;
    }
    converter->SetSourceFrameLimit(m_FactFrames);
    // No more than the data holds: a short file does not pay for a second's buffers.
    const auto dataBytes =
        static_cast<std::size_t>(std::max<std::int64_t>(0, m_DataEnd - m_DataOffset));
    std::size_t sourceSize = std::min<std::size_t>(
        {f.avgBytesPerSec, kMaxSourceBuffer, (dataBytes / f.blockAlign + 1) * f.blockAlign});
    m_ReadBlock = std::max<std::size_t>(sourceSize / f.blockAlign * f.blockAlign, f.blockAlign);
    // The byte rate is the header's word: one far above what the format holds (a low rate
    // resampled to 44100 Hz) would make each read convert hundreds of megabytes. A read
    // converts whole blocks up to kMaxConvertedBuffer of output, or one block: a read is asked
    // for a few kilobytes at a time, and converting far ahead of it only costs memory.
    while (m_ReadBlock > f.blockAlign &&
           converter->DestinationSize(m_ReadBlock) > kMaxConvertedBuffer) {
        m_ReadBlock =
            std::max<std::size_t>(m_ReadBlock / 2 / f.blockAlign * f.blockAlign, f.blockAlign);
    }
    m_Source.Allocate(m_ReadBlock);
    m_Destination.Allocate(converter->DestinationSize(m_ReadBlock));
    m_SourceUsed = 0;
    m_DestinationUsed = 0;
    m_pConverter = std::move(converter);
    m_Converted = true;
}

void CAudioWaveFile::FreeConverter() {
    m_pConverter.reset();
    m_Source.Free();
    m_Destination.Free();
    m_SourceUsed = m_DestinationUsed = m_Delivered = m_Fill = 0;
}

void CAudioWaveFile::CloseStream() {
    m_pRiff->Close();
    FreeConverter();
    m_Writing = false;
}

std::size_t CAudioWaveFile::ReadData(void* buffer, std::size_t count) {
    const auto left = static_cast<std::size_t>(std::max<std::int64_t>(0, m_DataEnd - m_ReadAt));
    const std::size_t want = std::min(count, left);
    if (want == 0 || !m_pRiff->Seek(m_ReadAt)) {
        return 0;
    }
    const std::size_t n = m_pRiff->Read(buffer, want);
    m_ReadAt += static_cast<std::int64_t>(n);
    if (n < want && m_pRiff->ErrorCode() != 0) {
        m_ReadFailed = true;
        m_Unreadable = "read error: " + m_pRiff->ErrorText();
    }
    return n;
}

int CAudioWaveFile::Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
                         std::size_t bufferSize) {
    if (!m_pRiff->IsOpen() || !m_Format || m_Writing) {
        return -1;
    }
    std::size_t want = bufferSize;
    if (itemCount == 0 || itemSize <= bufferSize / itemCount) {
        want = std::min(bufferSize, itemSize * itemCount);
    }
    want = std::min<std::size_t>(want, std::numeric_limits<int>::max());
    const std::uint32_t avg = m_Format->avgBytesPerSec;
    auto* out = static_cast<std::uint8_t*>(buffer);

    if (m_ReadFailed) {
        return -1;
    }
    if (!m_Converted) {
        if (!m_Unreadable.empty()) {
            return -1;  // no converter for this format
        }
        const std::size_t n = ReadData(out, want);
        m_Position += static_cast<std::int32_t>(static_cast<std::uint64_t>(n) * 1000 / avg);
        // What came before a read error is delivered; the next call reports it.
        return n == 0 && m_ReadFailed ? -1 : static_cast<int>(n);
    }

    std::size_t total = 0;
    while (total < want) {
        if (m_Delivered == m_DestinationUsed) {
            if (m_SourceDone) {
                // Anything the converter still holds comes out now.
                m_pConverter->Convert(nullptr, 0, m_SourceUsed, m_Destination.data(),
                                      m_Destination.size(), m_DestinationUsed, true);
                m_Delivered = 0;
                if (m_DestinationUsed == 0) {
                    break;
                }
                continue;
            }
            const std::size_t n = ReadData(m_Source.data(), m_ReadBlock);
            if (m_ReadFailed) {
                break;
            }
            m_Position += static_cast<std::int32_t>(static_cast<std::uint64_t>(n) * 1000 / avg);
            // A short read is the end of the audio: its bytes, and what the converter holds
            // back, are converted now.
            m_SourceDone = n < m_ReadBlock;
            m_Delivered = 0;
            m_pConverter->Convert(m_Source.data(), n, m_SourceUsed, m_Destination.data(),
                                  m_Destination.size(), m_DestinationUsed, m_SourceDone);
            continue;
        }
        const std::size_t take = std::min(want - total, m_DestinationUsed - m_Delivered);
        std::memcpy(out + total, m_Destination.data() + m_Delivered, take);
        m_Delivered += take;
        total += take;
    }
    // Bytes copied before the end (or an error) are delivered, not dropped; after them the
    // end gives 0 and a read error -1.
    if (total > 0) {
        return static_cast<int>(total);
    }
    return m_ReadFailed ? -1 : 0;
}

void CAudioWaveFile::Seek(std::int32_t milliseconds) {
    if (!m_pRiff->IsOpen() || !m_Format || milliseconds < 0) {
        return;
    }
    const std::uint64_t avg = m_Format->avgBytesPerSec;
    const std::uint64_t r = m_ReadBlock;
    const std::uint64_t seconds = static_cast<std::uint64_t>(milliseconds) / 1000;
    std::int64_t offset = m_DataOffset + static_cast<std::int64_t>(r * (seconds * avg / r));
    offset = std::min(offset, m_DataEnd);
    m_ReadAt = offset;
    m_pRiff->Seek(offset);
    m_SourceDone = false;
    m_Position =
        static_cast<std::int32_t>(static_cast<std::uint64_t>(offset - m_DataOffset) / avg * 1000);
}

void CAudioWaveFile::SaveTags() {
    if (!m_OwnOutput) {
        // A user's file is changed where it is, through any link, so that every name it has
        // (links, hard links) sees the new tags and its owner, mode and extended attributes
        // stay. Both ways are safe in place: the text fields are overwritten at their fixed
        // size, or the chunks are appended after everything and the RIFF length, written
        // last, takes them in (a failure cuts the file back to its old length).
        m_pRiff->Close();
        FreeConverter();
        if (IsReadOnlyPath(m_FileName)) {
            throw CFileException(CFileException::accessDenied, 0, m_FileName,
                                 "cannot save the tags: the file is read-only");
        }
    }
    WriteTagsInPlace();
}

void CAudioWaveFile::WriteTagsInPlace() {
    CRiffFile& riff = *m_pRiff;
    riff.Close();
    FreeConverter();
    if (!Open(OPEN_READWRITE)) {
        throw CFileException(CFileException::accessDenied, riff.ErrorCode(), m_FileName,
                             "cannot open for writing: " + riff.ErrorText());
    }
    RiffChunk wave;
    wave.formType = kFourccWave;
    if (!riff.Seek(0) || !riff.Descend(wave, nullptr, kRiffFindRiff)) {
        riff.Close();
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             "not a RIFF WAVE file");
    }
    const std::string* texts[3] = {&m_Title, &m_Artist, &m_Album};
    const std::uint32_t ids[3] = {kFourccTitl, kFourccIntr, kFourccAlbu};

    RiffChunk title;
    title.id = kFourccTitl;
    if (riff.Descend(title, &wave, kRiffFindChunk) && title.size >= kTextField) {
        // Overwrite in place: "TITL", then the chunks after it as long as they are the text
        // chunks they should be (never an audio or foreign chunk).
        RiffChunk chunk = title;
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                if (!riff.Ascend(chunk) || !riff.Descend(chunk, &wave, 0) || chunk.id != ids[i] ||
                    chunk.size < kTextField) {
                    break;
                }
            }
            std::uint8_t field[kTextField];
            FillTextField(*texts[i], field);
            if (!riff.Seek(chunk.dataOffset) || !riff.Write(field, kTextField) || !riff.Flush()) {
                const int code = riff.ErrorCode();
                const std::string text = code != 0 ? WriteErrorOf(code).text : riff.ErrorText();
                const bool full = riff.DiskFull();
                riff.Close();
                throw CFileException(
                    full ? CFileException::diskFull : CFileException::genericException, code,
                    m_FileName, "cannot write the tags: " + text);
            }
        }
    } else {
        // Append the three chunks after everything, then let the RIFF length cover them. The
        // length is written last, so a failure leaves the file as it was.
        const std::int64_t oldSize = riff.FileSize();
        const std::int64_t at = oldSize + (oldSize & 1);
        std::vector<std::uint8_t> tail(static_cast<std::size_t>(at - oldSize), 0);
        for (int i = 0; i < 3; ++i) {
            std::uint8_t head[8];
            PutLE32(head, ids[i]);
            PutLE32(head + 4, kTextField);
            tail.insert(tail.end(), head, head + 8);
            std::uint8_t field[kTextField];
            FillTextField(*texts[i], field);
            tail.insert(tail.end(), field, field + kTextField);
        }
        const std::int64_t newSize = oldSize + static_cast<std::int64_t>(tail.size());
        std::uint8_t riffLength[4];
        PutLE32(riffLength,
                static_cast<std::uint32_t>(std::min<std::int64_t>(newSize - 8, 0xFFFFFFFFLL)));
        const bool ok = newSize - 8 <= 0xFFFFFFFFLL && riff.Seek(oldSize) &&
                        riff.Write(tail.data(), tail.size()) && riff.Flush() &&
                        riff.Seek(wave.dataOffset - 4) && riff.Write(riffLength, 4) && riff.Flush();
        if (!ok) {
            const int code = riff.ErrorCode();
            const std::string text = newSize - 8 > 0xFFFFFFFFLL ? "file too large for WAV"
                                     : code != 0                ? WriteErrorOf(code).text
                                                                : riff.ErrorText();
            const bool full = riff.DiskFull();
            riff.Truncate(oldSize);
            riff.Close();
            throw CFileException(full ? CFileException::diskFull : CFileException::genericException,
                                 code, m_FileName, "cannot write the tags: " + text);
        }
    }
    if (!riff.Close()) {
        throw CFileException(CFileException::genericException, riff.ErrorCode(), m_FileName,
                             "cannot close after writing the tags: " + riff.ErrorText());
    }
}

[[noreturn]] void CAudioWaveFile::ThrowWriteError(const std::string& what) {
    const int code = m_pRiff->ErrorCode();
    const std::string text = code != 0 ? m_pRiff->ErrorText() : std::string("write failed");
    const CFileException::Cause cause = code == 0 || m_pRiff->DiskFull()
                                            ? CFileException::diskFull
                                            : CFileException::genericException;
    throw CFileException(cause, code != 0 ? code : 1, m_FileName, what + ": " + text);
}

void CAudioWaveFile::CreateOutput(const std::string& fileName, const WaveFormat& format) {
    m_pRiff->Close();
    FreeConverter();
    m_FileName = MakeValidFileName(fileName, true);
    m_Changed = true;
    m_Valid = false;
    m_OwnOutput = true;
    m_Format = format;
    m_Format->extraSize = static_cast<std::uint16_t>(m_Format->extra.size());
    m_Writing = true;
    CRiffFile& riff = *m_pRiff;
    if (!riff.Open(m_FileName, CRiffFile::Mode::kCreate)) {
        ThrowWriteError("cannot create the file");
    }
    const std::vector<std::uint8_t> block = m_Format->Serialize();
    m_RiffChunk = RiffChunk{};
    m_RiffChunk.formType = kFourccWave;
    RiffChunk fmt;
    fmt.id = kFourccFmt;
    fmt.size = static_cast<std::uint32_t>(block.size());
    m_DataChunk = RiffChunk{};
    m_DataChunk.id = kFourccData;
    if (!riff.CreateChunk(m_RiffChunk, kRiffCreateRiff) || !riff.CreateChunk(fmt, 0) ||
        !riff.Write(block.data(), block.size()) || !riff.Ascend(fmt) ||
        !riff.CreateChunk(m_DataChunk, 0) || !riff.GetInfo(m_Window)) {
        ThrowWriteError("cannot write the WAV header");
    }
    if (m_Format->formatTag == WAVE_FORMAT_PCM) {
        return;
    }
    auto converter = std::make_unique<CWaveConverter>();
    if (!converter->Open(MakeCdFormat(), *m_Format)) {
        return;  // WriteData refuses
    }
    const std::size_t sourceSize =
        std::clamp<std::size_t>(m_Format->avgBytesPerSec, 4, kMaxSourceBuffer) / 4 * 4;
    m_Source.Allocate(std::max<std::size_t>(sourceSize, 4));
    m_Destination.Allocate(converter->DestinationSize(m_Source.size()));
    m_Fill = 0;
    m_pConverter = std::move(converter);
}

void CAudioWaveFile::WriteThroughWindow(const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        if (m_Window.next == m_Window.end && !m_pRiff->Advance(m_Window)) {
            ThrowWriteError("cannot write the audio");
        }
        const std::size_t take =
            std::min(count, static_cast<std::size_t>(m_Window.end - m_Window.next));
        std::memcpy(m_Window.next, bytes, take);
        m_Window.next += take;
        bytes += take;
        count -= take;
    }
}

void CAudioWaveFile::WriteData(const void* bytes, std::size_t count) {
    if (!m_Writing || !m_pRiff->IsOpen() || !m_Format) {
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             "no output file is open");
    }
    const auto* in = static_cast<const std::uint8_t*>(bytes);
    if (m_Format->formatTag == WAVE_FORMAT_PCM) {
        WriteThroughWindow(in, count);
        return;
    }
    if (!m_pConverter) {
        char tag[8];
        std::snprintf(tag, sizeof tag, "0x%04X", m_Format->formatTag);
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             std::string("no encoder for WAV format tag ") + tag);
    }
    while (count > 0) {
        const std::size_t take = std::min(count, m_Source.size() - m_Fill);
        std::memcpy(m_Source.data() + m_Fill, in, take);
        m_Fill += take;
        in += take;
        count -= take;
        if (m_Fill == m_Source.size()) {
            m_pConverter->Convert(m_Source.data(), m_Fill, m_SourceUsed, m_Destination.data(),
                                  m_Destination.size(), m_DestinationUsed, false);
            WriteThroughWindow(m_Destination.data(), m_DestinationUsed);
            const std::size_t tail = m_Fill - m_SourceUsed;
            std::memmove(m_Source.data(), m_Source.data() + m_SourceUsed, tail);
            m_Fill = tail;
        }
    }
}

void CAudioWaveFile::Finish() {
    if (!m_Writing || !m_pRiff->IsOpen()) {
        throw CFileException(CFileException::genericException, 0, m_FileName,
                             "no output file is open");
    }
    if (m_pConverter) {
        // The PCM still waiting is converted too (its last block padded).
        do {
            m_pConverter->Convert(m_Source.data(), m_Fill, m_SourceUsed, m_Destination.data(),
                                  m_Destination.size(), m_DestinationUsed, true);
            WriteThroughWindow(m_Destination.data(), m_DestinationUsed);
            m_Fill = 0;
        } while (m_DestinationUsed > 0);
    }
    CRiffFile& riff = *m_pRiff;
    riff.SetInfo(m_Window);
    if (!riff.Ascend(m_DataChunk) || !riff.Ascend(m_RiffChunk) || !riff.Close()) {
        const int code = riff.ErrorCode();
        riff.Close();
        m_Writing = false;
        if (code == 0) {
            throw CFileException(CFileException::genericException, 0, m_FileName,
                                 "the audio is too large for a WAV file");
        }
        ThrowWriteError("cannot complete the file");
    }
    m_Writing = false;
    FreeConverter();
}

}  // namespace sonvara
