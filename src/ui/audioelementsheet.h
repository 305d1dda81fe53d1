#pragma once

#include <QDialog>
#include <QPixmap>
#include <QTimer>

#include <memory>
#include <string>
#include <vector>

#include "jobs/strings.h"
#include "playback/waveoutdevice.h"
#include "ui/bitmappushbutton.h"
#include "ui/helpcontext.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace sonvara {

class CAudioTrack;
class CAudioElementSheet;
class CWavePlayer;
struct TrackRecord;

// The "File" page: file name, title, artist, album, and in the list form the walking buttons.
class CAudioElementPage1 : public QWidget {
public:
    explicit CAudioElementPage1(CAudioElementSheet* sheet);
    // true: the controls' texts into the members; false: the members into the controls.
    void UpdateData(bool fromControls);

    QString m_fileName;
    QString m_artist;
    QString m_title;
    QString m_album;
    QLineEdit* m_fileNameEdit;
    QLineEdit* m_titleEdit;
    QLineEdit* m_artistEdit;
    QLineEdit* m_albumEdit;
    QPushButton* m_next;
    QPushButton* m_previous;

private:
    CAudioElementSheet* m_sheet;
};

// The "Properties" page: length, sampling rate, format, the position read-out, Play and Stop.
class CAudioElementPage2 : public QWidget {
public:
    explicit CAudioElementPage2(CAudioElementSheet* sheet);
    void UpdateData();
    // The read-out once a second while the page is shown.
    void OnPositionTimer();

    QString m_format;
    QString m_length;
    QString m_sampleRate;
    QString m_position;
    QLabel* m_formatText;
    QLabel* m_lengthText;
    QLabel* m_sampleRateText;
    QLabel* m_positionText;
    CBitmapPushButton* m_play;
    CBitmapPushButton* m_stop;
    QTimer m_positionTimer;

private:
    CAudioElementSheet* m_sheet;
};

// The "Check" page: the frame walk's verdict on an MP3 track and its findings, one row each
// (severity, kind, position as time and byte offset, what it is).
class CAudioElementCheckPage : public QWidget {
public:
    explicit CAudioElementCheckPage(QWidget* parent);
    // Walks the file (an MP3 path; anything else shows that there is nothing to check).
    // Checks the file; the findings' texts come from `strings`.
    void ShowFile(const std::string& path, const CStrings& strings);

    QLabel* m_verdict;
    QTreeWidget* m_findings;
};

// The track properties sheet behind "&Edit ID3-Tags": one record (single form) or several,
// walked with "Change && next" and "Change && previous" (list form). Edits are saved into the
// file's tags and the record; a save that fails is shown with its reason and changes nothing.
class CAudioElementSheet : public QDialog {
public:
    // help: the program's help-context number, the sheet's own while it is open. makeDevice:
    // the device the sheet's player plays on (empty: the system's default output). strings: the
    // texts of the check page's findings (the program's).
    CAudioElementSheet(TrackRecord& record, CHelpContext& help, QWidget* parent = nullptr,
                       WaveOutDeviceFactory makeDevice = {},
                       const CStrings& strings = EnglishStrings());
    CAudioElementSheet(std::vector<TrackRecord*> records, CHelpContext& help,
                       QWidget* parent = nullptr, WaveOutDeviceFactory makeDevice = {},
                       const CStrings& strings = EnglishStrings());
    ~CAudioElementSheet() override;

    // Writes the "File" page's texts into the file and the record. Stops playback first. A
    // read-only file is left alone (true). False when the save failed: the reason was shown.
    bool Save();
    // Fills both pages from the current track and opens its player.
    void ShowRecord();
    // Saves, then moves to the next (previous) record if there is one.
    void Next();
    void Previous();
    void Play();
    void Stop();

    CAudioElementPage1* Page1() { return m_page1; }
    CAudioElementPage2* Page2() { return m_page2; }
    CAudioElementCheckPage* CheckPage() { return m_checkPage; }
    QTabWidget* Tabs() { return m_tabs; }
    QDialogButtonBox* Buttons() { return m_buttons; }
    CWavePlayer* Player() { return m_pPlayer.get(); }
    TrackRecord* Record() { return m_pRecord; }
    int Index() const { return m_index; }
    bool IsPlaying() const { return m_playing; }
    // A record's texts changed through this sheet.
    bool Changed() const { return m_changed; }
    void SetModified(bool modified);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CommonSetUp();
    void LoadRecord();
    void OnBufferDone();
    void OnOk();
    void OnApply();
    void OnPageChanged(int index);

    CAudioElementPage1* m_page1 = nullptr;
    CAudioElementPage2* m_page2 = nullptr;
    CAudioElementCheckPage* m_checkPage = nullptr;
    std::unique_ptr<CAudioTrack> m_pAudioTrack;
    CHelpContext& m_help;
    const CStrings& m_strings;
    std::unique_ptr<CHelpContextScope> m_savedHelpContext;
    bool m_listMode = false;
    std::unique_ptr<CWavePlayer> m_pPlayer;
    TrackRecord* m_pRecord = nullptr;
    bool m_playing = false;
    int m_index = 0;
    std::vector<TrackRecord*> m_pRecords;
    WaveOutDeviceFactory m_makeDevice;
    bool m_changed = false;
    bool m_widened = false;
    QTabWidget* m_tabs = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

// "&Edit ID3-Tags" on the selected records (in row order): the single form for one, the list
// form for several, run modally. True when a record's texts changed.
bool EditTrackProperties(const std::vector<TrackRecord*>& records, CHelpContext& help,
                         QWidget* parent, const WaveOutDeviceFactory& makeDevice = {});

}  // namespace sonvara
