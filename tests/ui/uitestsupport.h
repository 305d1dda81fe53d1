#pragma once

#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace sonvara::test {

// Answers modal dialogs as a user would: polls for the active modal widget and hands it to
// `answer`, again and again, until `answer` returns true (it took its dialog) or the time is
// up. Several answerers may wait at once, each for its own kind of dialog.
class CModalAnswerer : public QObject {
    Q_OBJECT
public:
    explicit CModalAnswerer(std::function<bool(QWidget*)> answer, int timeoutMs = 30000);
    bool Answered() const { return m_Answered; }
    int Count() const { return m_Count; }
    // Keeps answering after the first (for a dialog that comes several times).
    void SetRepeat(bool repeat) { m_Repeat = repeat; }

private:
    void Poll();
    std::function<bool(QWidget*)> m_Answer;
    QTimer m_Timer;
    int m_Left;
    bool m_Answered = false;
    bool m_Repeat = false;
    int m_Count = 0;
    QWidget* m_Last = nullptr;
};

// Waits (running events) until the condition holds; false on time-out.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 20000);

// A valid MP3 stream of hand-built frames (about `frames` × 26 ms), and a damaged copy.
std::vector<std::uint8_t> GoodMp3(int frames = 40);
std::vector<std::uint8_t> CorruptMp3(int frames = 40);

}  // namespace sonvara::test
