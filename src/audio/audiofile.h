#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonvara {

// Open mode that makes the WAVE kind parse the RIFF header (validation, OpenStream).
inline constexpr std::uint32_t OPEN_PARSE = 0x30;
// Read/write without parsing, as the WAVE tag writer opens a file.
inline constexpr std::uint32_t OPEN_READWRITE = 0x02;

// One audio file on disk: path, tag texts and lazily computed validity. The kinds fill in
// format, length, PCM reading, tag writing and opening.
class CAudioFile {
public:
    CAudioFile() = default;
    virtual ~CAudioFile() = default;
    CAudioFile(const CAudioFile&) = delete;
    CAudioFile& operator=(const CAudioFile&) = delete;

    virtual bool IsReadOnly() const;
    virtual std::int16_t GetBitsPerSample() = 0;
    virtual std::uint32_t GetSampleRate() = 0;
    virtual std::int16_t GetChannels() = 0;
    // Milliseconds.
    virtual std::int32_t GetLength() = 0;
    virtual std::int32_t GetPosition() = 0;
    // Delivers at most itemSize * itemCount bytes of 16-bit PCM, never more than bufferSize;
    // returns the bytes delivered, 0 at the end of the audio, or -1 when the file cannot be
    // read (not open, or an error before the end; UnreadableReason says why).
    virtual int Read(std::size_t itemSize, std::size_t itemCount, void* buffer,
                     std::size_t bufferSize) = 0;
    virtual void CloseStream() = 0;
    virtual void OpenStream() = 0;
    virtual void SaveTags() = 0;
    virtual bool IsValid();
    virtual void SetTitle(const std::string& title) { m_Title = title; }
    virtual const std::string& GetTitle() const { return m_Title; }
    virtual void SetArtist(const std::string& artist) { m_Artist = artist; }
    virtual const std::string& GetArtist() const { return m_Artist; }
    virtual const std::string& GetAlbum() const { return m_Album; }
    virtual void SetAlbum(const std::string& album) { m_Album = album; }
    virtual void SetFileName(const std::string& fileName);
    virtual const std::string& GetFileName() const { return m_FileName; }
    virtual void Seek(std::int32_t milliseconds);
    virtual bool HasFormat() const { return false; }
    // The rate and channel count of what Read delivers (the WAVE kind converts some formats).
    virtual std::uint32_t GetDeliveredSampleRate() { return GetSampleRate(); }
    virtual std::int16_t GetDeliveredChannels() { return GetChannels(); }
    virtual bool Open(std::uint32_t mode) = 0;
    // Why the file could not be opened or read, after an Open, OpenStream or IsValid that
    // failed or a Read that gave -1 (the system's text such as "Permission denied", "not MPEG
    // audio", "unsupported WAV format (format tag 0x0011, ...)", a decoder error); "" while
    // it reads.
    virtual std::string UnreadableReason() const { return {}; }

protected:
    bool m_Valid = false;
    bool m_Changed = false;
    std::string m_Title;
    std::string m_Artist;
    std::string m_Album;
    std::string m_FileName;
};

}  // namespace sonvara
