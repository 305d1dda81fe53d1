#pragma once

namespace sonvara {

// Help-context numbers of the windows; the frame's help command opens the page of the number
// that is current.
inline constexpr int kHelpMain = 1000;
inline constexpr int kHelpOptions = 1001;
inline constexpr int kHelpTrackProperties = 1002;
inline constexpr int kHelpAnalysis = 1003;
inline constexpr int kHelpMp3ToWav = 1004;
inline constexpr int kHelpWavToMp3 = 1005;
inline constexpr int kHelpMp3ToMp3 = 1006;
inline constexpr int kHelpLoudness = 1020;

// The one application-wide help-context number (1000 at start).
class CHelpContext {
public:
    static int Get();
    static void Set(int n);
};

// Sets the help-context number for its lifetime and restores the previous one afterwards.
class CHelpContextScope {
public:
    explicit CHelpContextScope(int n);
    ~CHelpContextScope();
    CHelpContextScope(const CHelpContextScope&) = delete;
    CHelpContextScope& operator=(const CHelpContextScope&) = delete;

private:
    int m_Saved;
};

}  // namespace sonvara
