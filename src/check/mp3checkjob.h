#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/findings.h"
#include "jobs/audiojob.h"

namespace sonvara {

class IProgressSink;

// What the last check found, beyond the verdict.
struct MP3CheckOutcome {
    bool intact = false;
    bool openFailed = false;  // the file could not be opened (failureText says why)
    bool readFailed = false;  // a read error cut the walk short
    std::string failureText;
    std::int64_t framesFound = 0;  // 0: no MPEG audio frame anywhere in the file
    std::int64_t goodFrames = 0;
    std::int64_t errors = 0;
    std::int64_t audioFrames = 0;  // frames of audio (a Xing/Info/VBRI frame not counted)
    std::int64_t lengthMs = 0;     // their playing time
    std::vector<Finding> findings;
    std::int64_t findingsLeftOut = 0;
};

// Runs one stream check of one path for the analysis run.
class CMP3CheckJob : public CAudioJob {
public:
    void Close() override {}
    bool Execute() override { return Run(nullptr); }

    // Checks the file; true when the sink stopped it (the verdict is then that of the part
    // walked). The verdict: IsIntact and GetOutcome.
    virtual bool Run(IProgressSink* sink);
    virtual void Setup(const std::string& source) { m_Path = source; }
    void SetPath(const std::string& path) { Setup(path); }
    bool IsIntact() const { return m_Outcome.intact; }

    const std::string& GetPath() const { return m_Path; }
    const MP3CheckOutcome& GetOutcome() const { return m_Outcome; }

private:
    std::string m_Path;
    IProgressSink* m_pSink = nullptr;
    MP3CheckOutcome m_Outcome;
};

}  // namespace sonvara
