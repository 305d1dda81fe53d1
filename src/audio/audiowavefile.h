#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/audiofile.h"
#include "audio/riff/rifffile.h"
#include "audio/wavecodec/waveconverter.h"
#include "audio/wavecodec/waveformat.h"

namespace sonvara {

// RIFF WAVE files. The read side delivers 16-bit PCM: mono or stereo PCM of 16 bits as it is
// stored, every other format converted to 44100 Hz 16-bit stereo (more than two channels are
// refused). The write side (CreateOutput, WriteData,
// Finish) takes 44100 Hz 16-bit stereo PCM and stores it in the format asked for. The tag side
// keeps title, artist and album in 64-byte "TITL", "INTR" and "ALBU" chunks after "data".
class CAudioWaveFile : public CAudioFile {
public:
    CAudioWaveFile();
    ~CAudioWaveFile() override;

    std::int16_t GetBitsPerSample() override;
    std::uint32_t GetSampleRate() override;
    std::int16_t GetChannels() override;
    std::int32_t GetLength() override { return m_Length; }
    std::int32_t GetPosition() override { return m_Position; }
    int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
             std::size_t bufferSize) override;
    void CloseStream() override;
    void OpenStream() override;
    // Throws CFileException when the tags cannot be written; the audio is never touched.
    // Saves title, artist and album. A file this object created is written in place; any
    // other file is replaced by a complete copy with the new tags (see CAtomicFile).
    void SaveTags() override;
    void SetFileName(const std::string& fileName) override {
        m_OwnOutput = false;
        CAudioFile::SetFileName(fileName);
    }
    bool IsValid() override;
    void Seek(std::int32_t milliseconds) override;
    bool HasFormat() const override { return m_Format.has_value(); }
    bool Open(std::uint32_t mode) override;

    // What Read delivers after OpenStream: the stored rate and channels for 16-bit PCM,
    // 44100 Hz stereo for everything converted.
    bool DeliversConverted() const { return m_Converted; }
    std::uint32_t GetDeliveredSampleRate() override {
        return m_Converted ? 44100 : GetSampleRate();
    }
    std::int16_t GetDeliveredChannels() override { return m_Converted ? 2 : GetChannels(); }
    // Why the file cannot be opened or read ("" when it can): the system's reason, a header
    // that is not a readable WAV header, an unsupported format, or a read error.
    std::string UnreadableReason() const override { return m_Unreadable; }
    const std::optional<WaveFormat>& GetFormat() const { return m_Format; }

    // Write side. Each throws CFileException on failure.
    void CreateOutput(const std::string& fileName, const WaveFormat& format);
    void WriteData(const void* bytes, std::size_t count);
    void Finish();

private:
    bool Parse();
    bool Refuse(const std::string& why);
    std::size_t ReadData(void* buffer, std::size_t count);
    void WriteThroughWindow(const std::uint8_t* bytes, std::size_t count);
    void FreeConverter();
    [[noreturn]] void ThrowWriteError(const std::string& what);
    // Writes the three text chunks into the file named m_FileName, in place.
    void WriteTagsInPlace();

    std::unique_ptr<CRiffFile> m_pRiff;
    RiffChunk m_RiffChunk;
    RiffChunk m_DataChunk;
    RiffWindow m_Window;
    std::optional<WaveFormat> m_Format;
    std::int64_t m_DataOffset = 0;
    std::int64_t m_DataEnd = 0;      // first byte after the audio the file really holds
    std::int64_t m_ReadAt = 0;       // file position of the next audio byte to read
    std::uint64_t m_FactFrames = 0;  // sample frames a "fact" chunk states, 0 when none
    std::int32_t m_Length = 0;
    std::int32_t m_Position = 0;

    // A buffer whose bytes are not set when it is made: the converter's buffers are written
    // before they are read, and a second of some formats is megabytes.
    class CWorkBuffer {
    public:
        void Allocate(std::size_t size) {
            m_Bytes.reset(new std::uint8_t[size]);
            m_Size = size;
        }
        void Free() {
            m_Bytes.reset();
            m_Size = 0;
        }
        std::uint8_t* data() { return m_Bytes.get(); }
        std::size_t size() const { return m_Size; }

    private:
        std::unique_ptr<std::uint8_t[]> m_Bytes;
        std::size_t m_Size = 0;
    };

    std::unique_ptr<CWaveConverter> m_pConverter;
    CWorkBuffer m_Source;
    CWorkBuffer m_Destination;
    std::size_t m_SourceUsed = 0;
    std::size_t m_DestinationUsed = 0;
    std::size_t m_Fill = 0;  // write side: bytes waiting in the source buffer
    std::size_t m_ReadBlock = 4;
    std::size_t m_Delivered = 0;
    bool m_SourceDone = false;
    bool m_Converted = false;
    bool m_Writing = false;
    bool m_ReadFailed = false;  // the file gave a read error: Read reports -1 until reopened
    bool m_OwnOutput = false;   // this object created the file (CreateOutput): tags go in place
    std::string m_Unreadable;
};

}  // namespace sonvara
