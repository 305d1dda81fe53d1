#pragma once

#include <memory>
#include <string>

#include "audio/audiompegfile.h"
#include "audio/mp3encoder.h"
#include "convert/conversionloop.h"
#include "jobs/audiojob.h"

namespace sonvara {

class IProgressSink;

// Encodes one source file to a new MP3 file: WAV -> MP3 and MP3 -> MP3.
class CEncodingJob : public CAudioJob {
public:
    // Finishes the output and closes the source; throws CFileException when the output
    // cannot be completed.
    void Close() override;
    bool Execute() override { return Run(nullptr); }

    // Binds source and output and opens the encoder. Throws CFileException for an unreadable
    // source, an illegal bit rate or quality, or an output that cannot be created.
    virtual void Setup(const std::string& source, const std::string& output, int bitRateIndex,
                       int qualityIndex, bool vbr);
    // True when stopped by the sink, false when the source was read to its end.
    virtual bool Run(IProgressSink* sink);

    const EncoderSettings& GetSettings() const { return m_Settings; }
    const std::string& GetOutputPath() const { return m_OutputPath; }

protected:
    explicit CEncodingJob(bool wavSource) : m_WavSource(wavSource) {}

private:
    std::unique_ptr<CAudioFile> NewSource() const;
    void OpenSource(CAudioFile& file, const std::string& path) const;

    bool m_WavSource;
    std::string m_SourcePath;
    std::string m_OutputPath;
    EncoderSettings m_Settings;
    CConversionLoop m_Loop;
    std::unique_ptr<CAudioFile> m_pSource;
    CAudioMpegFile m_Encoder;
    bool m_Open = false;
};

class CWavToMp3Job : public CEncodingJob {
public:
    CWavToMp3Job() : CEncodingJob(true) {}
};

class CMp3ToMp3Job : public CEncodingJob {
public:
    CMp3ToMp3Job() : CEncodingJob(false) {}
};

}  // namespace sonvara
