#pragma once

#include <functional>

namespace sonvara {

// A stop request that long work inside one file looks at between blocks: counting the frames
// of gigabytes of foreign data named .mp3, for example, where no job's own stop checks reach.
// Whoever runs such work on a thread sets the scope for its duration; the work calls
// StopRequested() now and then. Without a scope nothing is ever stopped.
class CStopScope {
public:
    explicit CStopScope(std::function<bool()> stop);
    ~CStopScope();
    CStopScope(const CStopScope&) = delete;
    CStopScope& operator=(const CStopScope&) = delete;

    // Whether work inside this scope ended early because StopRequested() said so.
    bool Stopped() const { return m_Stopped; }

private:
    friend bool StopRequested();
    std::function<bool()> m_Stop;
    CStopScope* m_Outer;
    bool m_Stopped = false;
};

// Whether a scope of this thread (the innermost or one around it) asks to stop; the innermost
// scope notes that it did.
bool StopRequested();

}  // namespace sonvara
