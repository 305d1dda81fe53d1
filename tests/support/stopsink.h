#pragma once

#include "jobs/progresssink.h"

namespace sonvara::test {

// Counts progress reports and asks to stop once a chosen number of them has arrived (never,
// when the number is negative).
class CStopAfter : public IProgressSink {
public:
    explicit CStopAfter(int limit = -1) : m_Limit(limit) {}
    bool IsAborted() override { return m_Limit >= 0 && reports >= m_Limit; }
    void SetProgress(int percent) override {
        ++reports;
        last = percent;
    }
    int reports = 0;
    int last = -1;

private:
    int m_Limit;
};

}  // namespace sonvara::test
