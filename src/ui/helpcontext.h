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

// The program's help-context number (1000 at start). The program object owns one and hands it
// to the dialogs that set their own; F1 and the help command open the page of the number that
// is current. Used on the UI thread only.
class CHelpContext {
public:
    int Get() const { return m_Number; }
    void Set(int n) { m_Number = n; }

private:
    int m_Number = kHelpMain;
};

// Sets the help-context number for its lifetime and restores the previous one afterwards. A
// null context: nothing is set (a dialog without a help page of its own).
class CHelpContextScope {
public:
    CHelpContextScope(CHelpContext* context, int n);
    ~CHelpContextScope();
    CHelpContextScope(const CHelpContextScope&) = delete;
    CHelpContextScope& operator=(const CHelpContextScope&) = delete;

private:
    CHelpContext* m_Context;
    int m_Saved = kHelpMain;
};

}  // namespace sonvara
