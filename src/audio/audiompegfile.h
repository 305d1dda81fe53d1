#pragma once

#include "audio/audiofile.h"

namespace sonvara {

// MPEG audio files (MPEG-1, 2 and 2.5, Layers I to III).
class CAudioMpegFile : public CAudioFile {
public:
    std::int16_t GetBitsPerSample() override { return 16; }
    std::uint32_t GetSampleRate() override { return 0; }
    std::int16_t GetChannels() override { return 0; }
    std::int32_t GetLength() override { return 0; }
    std::int32_t GetPosition() override { return 0; }
    int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
             std::size_t bufferSize) override;
    void CloseStream() override {}
    void OpenStream() override { Open(0); }
    void SaveTags() override {}
    bool Open(std::uint32_t mode) override;
};

}  // namespace sonvara
