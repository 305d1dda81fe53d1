#pragma once

#include <memory>
#include <vector>

#include "audio/audiofile.h"
#include "audio/mp3encoder.h"
#include "audio/mpegdecoder.h"

namespace sonvara {

// MPEG audio files (MPEG-1, 2 and 2.5, Layers I to III). The read side decodes to 16-bit PCM
// in one format for the whole file (the rate of its first frame; two channels when any frame
// has two), even where the stream changes mode or rate part-way; the tag side keeps title, artist
// and album in the ID3 tags; the write side (CreateOutput, EncodeSamples, Finish) encodes a new MP3
// file.
class CAudioMpegFile : public CAudioFile {
public:
    static constexpr std::size_t kBlockSize = 16384;

    CAudioMpegFile();
    ~CAudioMpegFile() override;

    std::int16_t GetBitsPerSample() override { return 16; }
    std::uint32_t GetSampleRate() override { return m_Info.sampleRate; }
    std::int16_t GetChannels() override { return m_Info.twoChannels ? 2 : 1; }
    // The stream's version and layer (of its first frame), for showing the format.
    const MpegStreamInfo& StreamInfo() const { return m_Info; }
    std::int32_t GetLength() override { return static_cast<std::int32_t>(m_Duration); }
    std::int32_t GetPosition() override;
    int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
             std::size_t bufferSize) override;
    void CloseStream() override;
    void OpenStream() override { Open(0); }
    // Throws CFileException when the tags cannot be written; the file is then unchanged.
    void SaveTags() override;
    void Seek(std::int32_t milliseconds) override;
    bool Open(std::uint32_t mode) override;
    std::string UnreadableReason() const override { return m_Unreadable; }
    // A decoder is open: the file can be read.
    bool IsOpen() const { return m_pDecoder != nullptr; }

    // Write side; each throws CFileException on failure.
    void CreateOutput(const std::string& path, const EncoderSettings& settings,
                      std::uint64_t samplesPerChannel);
    void EncodeSamples(const void* data, std::size_t bytes);
    void Finish();

private:
    std::unique_ptr<CMpegDecoder> m_pDecoder;
    std::vector<unsigned char> m_Decode;
    std::vector<unsigned char> m_Carry;
    std::size_t m_Carried = 0;
    MpegStreamInfo m_Info;
    double m_Duration = 0.0;
    std::string m_Unreadable;
    std::unique_ptr<CMP3Encoder> m_pEncoder;
};

}  // namespace sonvara
