#pragma once

#include <memory>
#include <string>

#include "audio/audiompegfile.h"
#include "audio/audiowavefile.h"
#include "audio/wavecodec/waveformat.h"
#include "convert/conversionloop.h"
#include "jobs/audiojob.h"

namespace sonvara {

class IProgressSink;

// Decodes one MP3 file into a new WAV file (PCM or IMA ADPCM at 44100 Hz stereo).
class CMp3ToWavJob : public CAudioJob {
public:
    // Finishes the WAV file, writes its tags and closes the source; throws CFileException.
    void Close() override;
    bool Execute() override { return Run(nullptr); }

    // Format type 0 or 2: PCM; 1: IMA ADPCM. Throws CFileException for a source that is not
    // MPEG audio or an output that cannot be created.
    virtual void Setup(const std::string& source, const std::string& destination, int formatType);
    virtual bool Run(IProgressSink* sink);

    const WaveFormat& GetFormat() const { return m_Format; }
    const std::string& GetDestination() const { return m_Destination; }

private:
    WaveFormat m_Format;
    std::string m_SourcePath;
    std::string m_Destination;
    CConversionLoop m_Loop;
    CAudioMpegFile m_Source;
    CAudioWaveFile m_Writer;
    bool m_Open = false;
};

}  // namespace sonvara
