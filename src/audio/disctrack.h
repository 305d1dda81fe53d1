#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audiofile.h"

namespace sonvara {

// A source of decoded PCM that hides the file kind from its readers.
class IDiscTrack {
public:
    // Length in units of 1/75 second.
    virtual std::int32_t GetLengthInFrames() = 0;
    virtual ~IDiscTrack() = default;
    virtual void SetFile(const std::string& path) = 0;
    virtual void OpenStream() = 0;
    virtual void CloseStream() = 0;
    // Bytes delivered, 0 at the end, -1 on an error (UnreadableReason says why).
    virtual int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
                     std::size_t bufferSize) = 0;
    virtual std::string UnreadableReason() const { return {}; }
};

class CDiscAudioTrack : public IDiscTrack {
public:
    std::int32_t GetLengthInFrames() override;
    void SetFile(const std::string& path) override;
    // Binds a file object made elsewhere (already named), replacing the one held.
    void SetFile(std::unique_ptr<CAudioFile> file) { m_pFile = std::move(file); }
    void OpenStream() override;
    void CloseStream() override;
    int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
             std::size_t bufferSize) override;
    std::string UnreadableReason() const override {
        return m_pFile ? m_pFile->UnreadableReason() : "no file";
    }

    CAudioFile* GetFile() const { return m_pFile.get(); }

private:
    std::unique_ptr<CAudioFile> m_pFile;
};

}  // namespace sonvara
