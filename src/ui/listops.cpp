#include "ui/listops.h"

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
        return m_Move != nullptr && m_Move->askOverwrite ? m_Move->askOverwrite(question)
                                                         : Answer::kNo;
    }
    void ShowMessage(const std::string& text, MessageIcon) override {
        if (m_Move != nullptr && m_Move->showError) {
            m_Move->showError(text);
        }
    }
    void ReportError(const std::string&, const std::string&) override {}
    void UpdateTrack(const TrackUpdate&) override {}
    void RunEnded() override {}

private:
    const ReadCallbacks* m_Read;
    const MoveCallbacks* m_Move;
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
