#pragma once

namespace sonvara {

// Base of every per-file job: checking, the conversions and the normalising passes.
class CAudioJob {
public:
    virtual ~CAudioJob() = default;
    CAudioJob() = default;
    CAudioJob(const CAudioJob&) = delete;
    CAudioJob& operator=(const CAudioJob&) = delete;

    // Finishes the job and closes its files.
    virtual void Close() = 0;
    // The parameterless form of running a job.
    virtual bool Execute() = 0;
};

}  // namespace sonvara
