#include "check/mp3checkjob.h"

#include "check/mp3check.h"
#include "jobs/progresssink.h"

namespace sonvara {

bool CMP3CheckJob::Run(IProgressSink* sink) {
    m_pSink = sink;
    if (m_pSink != nullptr) {
        m_pSink->SetProgress(0);
    }
    CMP3Check check;
    check.ClearOptions();
    check.SetOption(CMP3Check::kOptionWholeFile, true);
    check.SetOption(CMP3Check::kOptionJob, true);
    const bool intact = check.CheckFile(m_Path, m_pSink);

    m_Outcome.intact = intact;
    m_Outcome.openFailed = check.OpenFailed();
    m_Outcome.readFailed = check.ReadFailed();
    m_Outcome.failureText = check.FailureText();
    m_Outcome.framesFound = check.GetFramesFound();
    m_Outcome.goodFrames = check.GetStreamState().goodFrames;
    m_Outcome.errors = check.GetStreamState().errors;
    m_Outcome.audioFrames = check.GetAudioFrames();
    m_Outcome.lengthMs = check.GetLengthMs();
    m_Outcome.findings = check.GetFindings();
    m_Outcome.findingsLeftOut = check.FindingsLeftOut();

    if (m_pSink != nullptr) {
        m_pSink->SetProgress(0);
        return m_pSink->IsAborted();
    }
    return false;
}

}  // namespace sonvara
