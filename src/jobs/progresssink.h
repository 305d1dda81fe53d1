#pragma once

#include "jobs/strings.h"

namespace sonvara {

// A run as its jobs see it: has the user asked to stop, and how far the current file is.
// IsAborted may be called from any thread; SetProgress comes from the thread that runs the job
// (a parallel walk gives its workers a sink of their own and reports whole tracks instead).
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual bool IsAborted() = 0;
    // Percent of the current file; 0 to 100 for most jobs (the stream checker can pass 100 on
    // files of varying bit rate).
    virtual void SetProgress(int percent) = 0;
    // The texts the run and its jobs show and report (English unless the run was given
    // another table).
    virtual const CStrings& Strings() const { return EnglishStrings(); }
};

// The texts of a job's sink; English without one.
inline const CStrings& StringsOf(const IProgressSink* sink) {
    return sink != nullptr ? sink->Strings() : EnglishStrings();
}

}  // namespace sonvara
