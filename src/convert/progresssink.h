#pragma once

namespace sonvara {

// A run as its jobs see it: has the user asked to stop, and how far the current file is.
// Jobs call both from their worker thread; implementations must be safe to call from there.
class IProgressSink {
public:
    virtual ~IProgressSink() = default;
    virtual bool IsAborted() = 0;
    // Percent of the current file; 0 to 100 for most jobs (the stream checker can pass 100 on
    // files of varying bit rate).
    virtual void SetProgress(int percent) = 0;
};

}  // namespace sonvara
