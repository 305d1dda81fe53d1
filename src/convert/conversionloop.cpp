#include "convert/conversionloop.h"

#include "audio/fileexception.h"
#include "jobs/strings.h"

namespace sonvara {

CConversionLoop::CConversionLoop()
    : m_Read(kReadBytes / 2), m_Resampled(static_cast<std::size_t>(kResampleFrames) * 2) {}

bool CConversionLoop::Run(CAudioFile& source, IProgressSink* sink, bool untilShortBlock,
                          const std::function<void(const void*, std::size_t)>& passOn) {
    const std::int32_t length = source.GetLength();
    m_Resampler.Reset();
    auto aborted = [sink] { return sink != nullptr && sink->IsAborted(); };
    int n = 0;
    do {
        n = source.Read(2048, 16, m_Read.data(), kReadBytes);
        if (n < 0) {
            // A read or decoder error is not the end of the source: the track fails with it.
            const std::string why = source.UnreadableReason();
            throw CFileException(
                CFileException::genericException, 0, source.GetFileName(),
                why.empty() ? StringsOf(sink).Text(StringId::kReasonReadFailed) : why);
        }
        const std::size_t bytes = n > 0 ? static_cast<std::size_t>(n) : 0;
        const std::uint32_t rate = source.GetDeliveredSampleRate();
        const int channels = source.GetDeliveredChannels();
        if (rate != 44100 || channels != 2) {
            m_Resampler.SetInputRate(rate);
            m_Resampler.SetInputChannels(channels);
            // The rates and channels the resampler took (it keeps its old ones for values
            // it refuses) decide the frame size of the block.
            const int inChannels = channels == 1 || channels == 2 ? channels : 2;
            std::uint32_t frames =
                static_cast<std::uint32_t>(bytes / (2 * static_cast<std::size_t>(inChannels)));
            const std::int16_t* in = m_Read.data();
            // A block can make more frames than the buffer holds (rates below 4410 Hz): the
            // rest of the block is processed too, never dropped.
            do {
                m_Resampler.SetInput(in, frames);
                m_Resampler.SetOutput(m_Resampled.data(), kResampleFrames);
                std::uint32_t consumed = 0;
                std::uint32_t produced = 0;
                m_Resampler.Process(consumed, produced);
                passOn(m_Resampled.data(), static_cast<std::size_t>(produced) * 4);
                in += static_cast<std::size_t>(consumed) * static_cast<std::size_t>(inChannels);
                frames -= consumed;
                if (consumed == 0 && produced == 0) {
                    break;
                }
            } while (frames > 0);
        } else {
            passOn(m_Read.data(), bytes);
        }
        if (sink != nullptr) {
            const std::int64_t position = source.GetPosition();
            sink->SetProgress(length > 0 ? static_cast<int>(position * 100 / length) : 0);
        }
        if (untilShortBlock ? n != static_cast<int>(kReadBytes) : n <= 0) {
            break;  // the end of the source
        }
    } while (!aborted());
    return aborted();
}

}  // namespace sonvara
