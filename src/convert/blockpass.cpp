#include "convert/blockpass.h"

#include "audio/disctrack.h"
#include "audio/fileexception.h"
#include "jobs/jobstop.h"
#include "jobs/progresssink.h"
#include "jobs/strings.h"

namespace sonvara {

bool RunBlockPass(IDiscTrack& track, IProgressSink* sink, std::int32_t length75,
                  std::vector<std::int16_t>& buffer,
                  const std::function<void(std::size_t bytes)>& block) {
    constexpr std::size_t kBlockBytes = 65536;
    buffer.resize(kBlockBytes / 2);
    auto aborted = [sink] { return sink != nullptr && sink->IsAborted(); };
    std::int64_t counter = 0;
    for (;;) {
        if (aborted()) {
            return true;
        }
        const int n = track.Read(kBlockBytes, 1, buffer.data(), kBlockBytes);
        if (n < 0) {
            const std::string why = track.UnreadableReason();
            const auto* disc = dynamic_cast<const CDiscAudioTrack*>(&track);
            throw CFileException(
                CFileException::genericException, 0,
                disc != nullptr && disc->GetFile() != nullptr ? disc->GetFile()->GetFileName()
                                                              : std::string(),
                why.empty() ? StringsOf(sink).Text(StringId::kReasonReadFailed) : why);
        }
        if (n == 0) {
            return false;
        }
        block(static_cast<std::size_t>(n));
        counter += 2800;
        if (sink != nullptr) {
            sink->SetProgress(length75 > 0 ? static_cast<int>(counter / length75) : 0);
        }
        if (aborted()) {
            throw CUserException();
        }
    }
}

}  // namespace sonvara
