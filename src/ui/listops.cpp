#include "ui/listops.h"

#include <utility>

#include "jobs/strings.h"
#include "runs/addtracks.h"
#include "runs/movecorrupt.h"

namespace sonvara::ui {

namespace {
// A run host that passes on what reading and moving use and ignores the rest.
class CCallbackHost : public IRunHost {
public:
    CCallbackHost(const ReadCallbacks* read, const MoveCallbacks* move)
        : m_Read(read), m_Move(move) {}
    bool IsAborted() override { return m_Read != nullptr && m_Read->aborted && m_Read->aborted(); }
    void SetProgress(int percent) override {
        if (m_Read != nullptr && m_Read->progress) {
            m_Read->progress(percent);
        }
    }
    void SetCurrentFile(const std::string& path) override {
        if (m_Read != nullptr && m_Read->currentFile) {
            m_Read->currentFile(path);
        }
    }
    void SetStage(const std::string&) override {}
    void ClearResults() override {}
    void AddResult(const std::string&, std::uint32_t) override {}
    void ScrollToEnd() override {}
    Answer AskOverwrite(const std::string& question) override {
        const Answer answer = m_Move != nullptr && m_Move->askOverwrite
                                  ? m_Move->askOverwrite(question)
                                  : Answer::kNo;
        // A file kept by the user's own answer is reported next; the user needs no box for it.
        m_KeptByAnswer = answer != Answer::kYes;
        return answer;
    }
    void ShowMessage(const std::string& text, MessageIcon) override {
        if (m_Move != nullptr && m_Move->showError) {
            m_Move->showError(text);
        }
    }
    void ReportError(const std::string& path, const std::string& reason) override {
        // A file that could not be moved is said, each in its box.
        if (std::exchange(m_KeptByAnswer, false)) {
            return;
        }
        if (m_Move != nullptr && m_Move->showError) {
            m_Move->showError(Text(StringId::kMoveFailed, path, reason));
        }
    }
    void UpdateTrack(const TrackUpdate&) override {}
    void RunEnded() override {}

private:
    const ReadCallbacks* m_Read;
    const MoveCallbacks* m_Move;
    bool m_KeptByAnswer = false;
};
}  // namespace

std::vector<ReadTrack> ReadEntries(const std::vector<std::string>& paths, bool readTags,
                                   const ReadCallbacks& callbacks) {
    CCallbackHost host(&callbacks, nullptr);
    return ReadTracks(paths, readTags, host, {}, ReaderThreads());
}

std::size_t MoveCorrupt(CTrackList& list, const std::string& folder, const MoveCallbacks& host) {
    CCallbackHost adapter(nullptr, &host);
    return MoveCorruptFiles(list, folder, adapter);
}

}  // namespace sonvara::ui
