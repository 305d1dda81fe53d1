#include "convert/mp3towavjob.h"

#include "audio/fileexception.h"
#include "convert/jobtables.h"
#include "platform/scopeguard.h"

namespace sonvara {

void CMp3ToWavJob::Setup(const std::string& source, const std::string& destination,
                         int formatType) {
    m_Open = false;
    {
        CAudioMpegFile tags;
        tags.SetFileName(source);
        if (!tags.IsValid()) {
            const std::string why = tags.UnreadableReason();
            throw CFileException(CFileException::genericException, 0, source,
                                 why.empty() ? "not MPEG audio" : why);
        }
        m_SourcePath = source;
        m_Destination = destination;
        m_Format = OutputFormatForType(formatType);
        m_Writer.SetArtist(tags.GetArtist());
        m_Writer.SetTitle(tags.GetTitle());
        m_Writer.SetAlbum(tags.GetAlbum());
        tags.CloseStream();
    }
    // The source is opened before the output is created, so that a source that fails here
    // leaves no empty output behind.
    m_Source.SetFileName(source);
    m_Source.OpenStream();
    if (!m_Source.IsOpen()) {
        const std::string why = m_Source.UnreadableReason();
        throw CFileException(CFileException::genericException, 0, source,
                             why.empty() ? "not MPEG audio" : why);
    }
    auto closeSource = OnFailure([this] { m_Source.CloseStream(); });
    m_Writer.CreateOutput(destination, m_Format);
    m_Destination = m_Writer.GetFileName();
    m_Open = true;
}

bool CMp3ToWavJob::Run(IProgressSink* sink) {
    if (!m_Open) {
        throw CFileException(CFileException::genericException, 0, m_Destination,
                             "the job was not set up");
    }
    return m_Loop.Run(m_Source, sink, false, [this](const void* data, std::size_t bytes) {
        m_Writer.WriteData(data, bytes);
    });
}

void CMp3ToWavJob::Close() {
    if (!m_Open) {
        return;
    }
    m_Open = false;
    CScopeGuard closeSource([this] { m_Source.CloseStream(); });
    m_Writer.Finish();
    m_Writer.SaveTags();
}

}  // namespace sonvara
