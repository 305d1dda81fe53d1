#pragma once

#include <vector>

#include "jobs/runhost.h"

namespace sonvara {

class CTrackList;
struct TrackRecord;

// Gives the record named by the update its new states; a host calls it on the list's thread.
// With the list that holds the records, through it, so that its counts stay right.
void ApplyTrackUpdate(const std::vector<TrackRecord*>& tracks, const TrackUpdate& update,
                      CTrackList* list = nullptr);

// A worker's view of the host: the stop request only.
class CStopOnlySink : public IProgressSink {
public:
    explicit CStopOnlySink(IRunHost& host) : m_Host(host) {}
    bool IsAborted() override { return m_Host.IsAborted(); }
    void SetProgress(int) override {}
    const CStrings& Strings() const override { return m_Host.Strings(); }

private:
    IRunHost& m_Host;
};

}  // namespace sonvara
