#pragma once

namespace sonvara {

// Base of every per-file job: checking, the conversions and the normalising passes.
//
// One convention for all of them: Setup takes the source first and the output (where there is
// one) second; Run (with a progress sink) and Execute (without one) return true when the job
// stopped because the sink asked it to, false when it worked through to the end. What a job
// found (a check's verdict, a scan's gain) is asked for afterwards.
class CAudioJob {
public:
    virtual ~CAudioJob() = default;
    CAudioJob() = default;
    CAudioJob(const CAudioJob&) = delete;
    CAudioJob& operator=(const CAudioJob&) = delete;

    // Finishes the job and closes its files.
    virtual void Close() = 0;
    // Runs the job without a sink; true when it stopped early on request.
    virtual bool Execute() = 0;
};

}  // namespace sonvara
