// The track properties sheet, driven as a user would (offscreen), with the test device.
#include "ui/audioelementsheet.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "audio/audiotrack.h"
#include "audio/mpegtags.h"
#include "playback/testwaveoutdevice.h"
#include "playback/waveplayer.h"
#include "support/encoders.h"
#include "support/mpegframes.h"
#include "support/runevents.h"
#include "support/testfiles.h"
#include "support/wavbuilder.h"
#include "tracks/trackrecord.h"
#include "ui/helpcontext.h"

namespace sonvara::test {
namespace {

// Answers the next message box that appears: keeps its text and presses its default button.
class CMessageBoxAnswerer {
public:
    CMessageBoxAnswerer() {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_text = box->text();
                ++m_count;
                box->accept();
            }
        });
        m_timer.start();
    }
    QString m_text;
    int m_count = 0;

private:
    QTimer m_timer;
};

TrackRecord RecordFor(const std::string& path) {
    TrackRecord r;
    r.path = path;
    CAudioTrack track(path);
    r.SetTitle(track.GetFile()->GetTitle());
    r.SetArtist(track.GetFile()->GetArtist());
    r.SetAlbum(track.GetFile()->GetAlbum());
    r.SetLength(track.GetFile()->GetLength());
    return r;
}

std::string TitleInFile(const std::string& path) {
    CAudioTrack track(path);
    return track.GetFile()->GetTitle();
}

class SheetTest : public ::testing::Test {
protected:
    // The sheets' players play on the test device.
    WaveOutDeviceFactory Devices() {
        return [this] {
            CTestWaveOutDevice::Options options;
            options.tickMs = m_tickMs;
            return std::make_unique<CTestWaveOutDevice>(options);
        };
    }

    std::string Wav(const std::string& name, std::size_t frames = 44100,
                    const std::string& title = "") {
        const std::string path = m_dir.File(name);
        std::vector<Chunk> chunks = {{"fmt ", FmtData(1, 2, 44100, 16, {}, false)}, {"data", {}}};
        for (std::int16_t s : Sine(frames, 2, 440, 44100)) {
            Append(chunks[1].data, LE16(static_cast<std::uint16_t>(s)));
        }
        if (!title.empty()) {
            chunks.push_back(TextChunk("TITL", title));
            chunks.push_back(TextChunk("INTR", ""));
            chunks.push_back(TextChunk("ALBU", ""));
        }
        WriteFile(path, MakeRiff(chunks));
        return path;
    }

    std::string Mp3(const std::string& name, const std::string& title) {
        const std::string wav =
            SynthWav(m_dir.File(name + ".wav"), "-r 44100 -c 2 -b 16", "1 sine 440");
        return LameEncode(wav, m_dir.File(name),
                          "-b 128 --add-id3v2 --tt " + ShellQuote(title) + " --ta Artist");
    }

    static void Click(QAbstractButton* button) {
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        // Latin letters from the keyboard, everything else as an input method commits it.
        QString run;
        auto commit = [&] {
            if (!run.isEmpty()) {
                QInputMethodEvent event;
                event.setCommitString(run);
                QApplication::sendEvent(edit, &event);
                run.clear();
            }
        };
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                commit();
                QTest::keyClick(edit, c.toLatin1());
            } else {
                run += c;
            }
        }
        commit();
    }

    CTempDir m_dir;
    int m_tickMs = 1;   // the test device plays one buffer (46 ms of audio) per tick
    CHelpContext help;  // the sheets' help-context number, this test's own
};

TEST_F(SheetTest, SingleFormShowsTheTrackWithoutWalkingButtons) {
    const std::string path = Wav("tone.wav", 44100 * 2, "Tone");
    TrackRecord record = RecordFor(path);
    const int before = help.Get();
    {
        CAudioElementSheet sheet(record, help, nullptr, Devices());
        sheet.show();
        EXPECT_EQ(help.Get(), kHelpTrackProperties);
        EXPECT_EQ(sheet.windowTitle(), "Properties of: Tone");
        EXPECT_TRUE(sheet.Page1()->m_next->isHidden());
        EXPECT_TRUE(sheet.Page1()->m_previous->isHidden());
        EXPECT_EQ(sheet.Page1()->m_fileNameEdit->text().toStdString(), path);
        EXPECT_FALSE(sheet.Page1()->m_fileNameEdit->isEnabled());
        EXPECT_EQ(sheet.Page1()->m_titleEdit->text(), "Tone");
        EXPECT_EQ(sheet.Page2()->m_formatText->text(), "Wave");
        EXPECT_EQ(sheet.Page2()->m_sampleRateText->text(), "44100 Hz");
        // The pages with an empty strip of 100 pixels at the right.
        EXPECT_GE(sheet.width() - sheet.Tabs()->geometry().right(), 100);
        // Apply only after an edit.
        QPushButton* apply = sheet.Buttons()->button(QDialogButtonBox::Apply);
        EXPECT_FALSE(apply->isEnabled());
        Type(sheet.Page1()->m_artistEdit, "Someone");
        EXPECT_TRUE(apply->isEnabled());
        Click(apply);
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_EQ(record.artist, "Someone");
        CAudioTrack reread(path);
        EXPECT_EQ(reread.GetFile()->GetArtist(), "Someone");
        EXPECT_TRUE(sheet.Changed());
    }
    EXPECT_EQ(help.Get(), before);

    // Without a title the caption names the full path.
    const std::string untitled = Wav("untitled.wav");
    TrackRecord plain = RecordFor(untitled);
    CAudioElementSheet sheet(plain, help, nullptr, Devices());
    EXPECT_EQ(sheet.windowTitle().toStdString(), "Properties of: " + untitled);
}

// A keyboard user: the sheet opens with the keyboard in the title (the file name above it
// cannot be edited), so a new title is typed at once and Enter saves it.
TEST_F(SheetTest, OpensWithTheKeyboardInTheTitle) {
    const std::string mp3 = Mp3("typed.mp3", "Old Title");
    TrackRecord record = RecordFor(mp3);
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet, test::kHungMs));
    ASSERT_EQ(QApplication::focusWidget(), sheet.Page1()->m_titleEdit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "New Title");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the default button: OK
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(TitleInFile(mp3), "New Title");
    EXPECT_EQ(record.title, "New Title");
}

TEST_F(SheetTest, WalkingSavesEachTrackAndStopsAtBothEnds) {
    std::vector<TrackRecord> records;
    for (int i = 0; i < 3; ++i) {
        records.push_back(RecordFor(Wav("t" + std::to_string(i) + ".wav", 4410)));
    }
    std::vector<TrackRecord*> pointers = {&records[0], &records[1], &records[2]};
    CAudioElementSheet sheet(pointers, help, nullptr, Devices());
    sheet.show();
    CAudioElementPage1* page = sheet.Page1();
    EXPECT_FALSE(page->m_next->isHidden());
    Type(page->m_titleEdit, "First");
    Click(page->m_next);
    EXPECT_EQ(sheet.Index(), 1);
    EXPECT_EQ(records[0].title, "First");
    EXPECT_EQ(TitleInFile(records[0].path), "First");
    EXPECT_EQ(page->m_titleEdit->text(), "");
    EXPECT_EQ(page->m_fileNameEdit->text().toStdString(), records[1].path);
    Click(page->m_next);
    Type(page->m_titleEdit, "Last");
    // Past the last record: saved, and the sheet stays.
    Click(page->m_next);
    EXPECT_EQ(sheet.Index(), 2);
    EXPECT_EQ(TitleInFile(records[2].path), "Last");
    Click(page->m_previous);
    Click(page->m_previous);
    EXPECT_EQ(sheet.Index(), 0);
    EXPECT_EQ(page->m_titleEdit->text(), "First");
    Type(page->m_titleEdit, "First again");
    Click(page->m_previous);
    EXPECT_EQ(sheet.Index(), 0);
    EXPECT_EQ(TitleInFile(records[0].path), "First again");
    // Cancel keeps what the walk saved.
    Click(sheet.Buttons()->button(QDialogButtonBox::Cancel));
    EXPECT_EQ(records[0].title, "First again");
    EXPECT_EQ(records[2].title, "Last");
}

TEST_F(SheetTest, LengthInMinutesSecondsAndFrames) {
    // 3 min 25.9 s of audio, which the WAVE kind states as 205500 ms: 15412 frames of 1/75 s.
    const std::string path = m_dir.File("long.wav");
    Bytes data(205900 * 8, 0x80);
    WriteFile(path, MakeRiff({{"fmt ", FmtData(1, 1, 8000, 8, {}, false)}, {"data", data}}));
    TrackRecord record = RecordFor(path);
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    EXPECT_EQ(sheet.Page2()->m_lengthText->text(), "3:25:37 mm:ss:ff");
    EXPECT_EQ(sheet.Page2()->m_sampleRateText->text(), "8000 Hz");

    const std::string mp3 = Mp3("a.mp3", "Tune");
    TrackRecord r2 = RecordFor(mp3);
    CAudioElementSheet sheet2(r2, help, nullptr, Devices());
    EXPECT_EQ(sheet2.Page2()->m_formatText->text(), "MPEG-1 Layer III");
    EXPECT_EQ(sheet2.Page2()->m_sampleRateText->text(), "44100 Hz");
    EXPECT_EQ(sheet2.Page2()->m_lengthText->text().left(5), "0:01:");

    // The stream's own version and layer, not the extension's.
    const struct {
        test::FrameShape shape;
        const char* format;
    } streams[] = {{{test::MpegVersion::k2, 3, 8, 0}, "MPEG-2 Layer III"},
                   {{test::MpegVersion::k25, 3, 8, 0}, "MPEG-2.5 Layer III"},
                   {{test::MpegVersion::k1, 2, 9, 0}, "MPEG-1 Layer II"},
                   {{test::MpegVersion::k1, 1, 9, 0}, "MPEG-1 Layer I"}};
    for (const auto& stream : streams) {
        const std::string file = m_dir.File(std::string(stream.format) + ".mp3");
        WriteFile(file, test::MakeStream(stream.shape, 40));
        TrackRecord record3 = RecordFor(file);
        CAudioElementSheet sheet3(record3, help, nullptr, Devices());
        EXPECT_EQ(sheet3.Page2()->m_formatText->text(), stream.format);
    }
}

// The Check page lists what the frame walk found, with the position as time and offset.
TEST_F(SheetTest, CheckPageListsTheFindingsOfTheTrack) {
    Bytes bytes = test::MakeStream(test::FrameShape{}, 5);
    bytes.insert(bytes.end(), 37, 0x20);
    Append(bytes, test::MakeStream(test::FrameShape{}, 5));
    const std::string path = m_dir.File("damaged.mp3");
    WriteFile(path, bytes);
    TrackRecord record = RecordFor(path);
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    EXPECT_EQ(sheet.Tabs()->tabText(2), "Check");
    EXPECT_EQ(sheet.CheckPage()->m_verdict->text(), "Corrupt: 10 frames, 1 findings.");
    ASSERT_EQ(sheet.CheckPage()->m_findings->topLevelItemCount(), 1);
    const QTreeWidgetItem* row = sheet.CheckPage()->m_findings->topLevelItem(0);
    EXPECT_EQ(row->text(0), "Error");
    EXPECT_EQ(row->text(1), "Lost sync");
    EXPECT_EQ(row->text(2), "0:00.131");
    EXPECT_EQ(row->text(3), "2085");
}

TEST_F(SheetTest, ReadOnlyFileIsShownDisabledAndNeverWritten) {
    const std::string path = Wav("locked.wav", 4410, "Locked");
    const Bytes original = ReadFile(path);
    ::chmod(m_dir.Path().c_str(), 0755);
    ::chmod(path.c_str(), 0444);
    TrackRecord record = RecordFor(path);
    // Root may write any file: the sheet runs as user nobody here.
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::seteuid(65534) == 0);
    {
        std::vector<TrackRecord*> list = {&record, &record};
        CAudioElementSheet sheet(list, help, nullptr, Devices());
        sheet.show();
        EXPECT_FALSE(sheet.Page1()->m_titleEdit->isEnabled());
        EXPECT_FALSE(sheet.Page1()->m_artistEdit->isEnabled());
        EXPECT_FALSE(sheet.Page1()->m_albumEdit->isEnabled());
        sheet.Page1()->m_titleEdit->setText("Changed");  // not through the keyboard: disabled
        Click(sheet.Page1()->m_next);                    // walking still works
        EXPECT_EQ(sheet.Index(), 1);
        Click(sheet.Buttons()->button(QDialogButtonBox::Ok));
        EXPECT_EQ(sheet.result(), QDialog::Accepted);
        EXPECT_FALSE(sheet.Changed());
    }
    ASSERT_TRUE(!root || ::seteuid(0) == 0);
    EXPECT_EQ(ReadFile(path), original);
    EXPECT_EQ(record.title, "Locked");
}

TEST_F(SheetTest, PlayThenSwitchingTracksStopsPlayback) {
    m_tickMs = 40;  // slower than real time, so that the read-out sees the track playing
    std::vector<TrackRecord> records = {RecordFor(Wav("a.wav", 44100 * 3)),
                                        RecordFor(Wav("b.wav", 44100 * 3))};
    std::vector<TrackRecord*> pointers = {&records[0], &records[1]};
    CAudioElementSheet sheet(pointers, help, nullptr, Devices());
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    EXPECT_TRUE(sheet.Page2()->m_positionTimer.isActive());
    Click(sheet.Page2()->m_play);
    EXPECT_TRUE(sheet.IsPlaying());
    EXPECT_TRUE(sheet.Player()->IsPlaying());
    EXPECT_GT(sheet.Player()->QueuedCount(), 0);
    // The read-out follows playback once a second, as minutes:seconds and a blank.
    ASSERT_TRUE(RunEventsUntil([&] { return sheet.Page2()->m_positionText->text() != "0:00 "; }));
    EXPECT_TRUE(QRegularExpression("^\\d+:\\d\\d $")
                    .match(sheet.Page2()->m_positionText->text())
                    .hasMatch())
        << sheet.Page2()->m_positionText->text().toStdString();
    Click(sheet.Page2()->m_stop);
    EXPECT_FALSE(sheet.Player()->IsPlaying());
    Click(sheet.Page2()->m_play);
    sheet.Tabs()->setCurrentIndex(0);
    EXPECT_FALSE(sheet.Page2()->m_positionTimer.isActive());
    Click(sheet.Page1()->m_next);
    EXPECT_EQ(sheet.Index(), 1);
    EXPECT_FALSE(sheet.IsPlaying());
    EXPECT_FALSE(sheet.Player()->IsPlaying());
    EXPECT_EQ(sheet.Player()->QueuedCount(), 0);
    EXPECT_EQ(sheet.Player()->GetPosition(), 0);
}

TEST_F(SheetTest, PlayAfterApplyPlaysAgain) {
    TrackRecord record = RecordFor(Wav("a.wav", 44100 * 3));
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    sheet.show();
    sheet.Tabs()->setCurrentIndex(1);
    Click(sheet.Page2()->m_play);
    sheet.Tabs()->setCurrentIndex(0);
    Type(sheet.Page1()->m_titleEdit, "Saved while playing");
    Click(sheet.Buttons()->button(QDialogButtonBox::Apply));
    EXPECT_FALSE(sheet.IsPlaying());
    EXPECT_EQ(record.title, "Saved while playing");
    sheet.Tabs()->setCurrentIndex(1);
    Click(sheet.Page2()->m_play);
    EXPECT_TRUE(sheet.Player()->IsPlaying());
    EXPECT_GT(sheet.Player()->QueuedCount(), 0);
}

TEST_F(SheetTest, UnicodeTitleIsSavedInId3v2AndTheRecord) {
    const std::string path = Mp3("unicode.mp3", "Old");
    TrackRecord record = RecordFor(path);
    ASSERT_EQ(record.title, "Old");
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    sheet.show();
    const QString title = QString::fromUtf8("Für Elise — 日本");
    Type(sheet.Page1()->m_titleEdit, title);
    ASSERT_EQ(sheet.Page1()->m_titleEdit->text(), title);
    Click(sheet.Buttons()->button(QDialogButtonBox::Ok));
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(ReadMpegTags(path).title, "Für Elise — 日本");
    EXPECT_EQ(record.title, "Für Elise — 日本");
    EXPECT_EQ(record.artist, "Artist");
    EXPECT_TRUE(sheet.Changed());
}

TEST_F(SheetTest, AFailedSaveIsShownAndTheRecordKeepsItsTexts) {
    const std::string path = Mp3("gone.mp3", "Kept");
    TrackRecord record = RecordFor(path);
    CAudioElementSheet sheet(record, help, nullptr, Devices());
    sheet.show();
    std::filesystem::remove(path);
    Type(sheet.Page1()->m_titleEdit, "Lost?");
    CMessageBoxAnswerer answer;
    Click(sheet.Buttons()->button(QDialogButtonBox::Ok));
    EXPECT_EQ(answer.m_count, 1);
    EXPECT_TRUE(answer.m_text.startsWith("The tags could not be saved."))
        << answer.m_text.toStdString();
    EXPECT_GT(answer.m_text.size(), QString("The tags could not be saved.").size() + 2);
    // Still open with the edit on screen; the record as it was.
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(sheet.Page1()->m_titleEdit->text(), "Lost?");
    EXPECT_EQ(record.title, "Kept");
    EXPECT_FALSE(sheet.Changed());
}

TEST_F(SheetTest, EditTrackPropertiesPicksTheFormAndReportsChanges) {
    std::vector<TrackRecord> records = {RecordFor(Wav("a.wav", 4410)),
                                        RecordFor(Wav("b.wav", 4410))};
    std::vector<TrackRecord*> pointers = {&records[0], &records[1]};
    bool listForm = false;
    QTimer::singleShot(0, [&] {
        RunEventsUntil([] { return QApplication::activeModalWidget() != nullptr; });
        auto* sheet = dynamic_cast<CAudioElementSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        listForm = !sheet->Page1()->m_next->isHidden();
        Type(sheet->Page1()->m_albumEdit, "Album");
        Click(sheet->Buttons()->button(QDialogButtonBox::Ok));
    });
    EXPECT_TRUE(EditTrackProperties(pointers, help, nullptr, Devices()));
    EXPECT_TRUE(listForm);
    EXPECT_EQ(records[0].album, "Album");

    QTimer::singleShot(0, [&] {
        RunEventsUntil([] { return QApplication::activeModalWidget() != nullptr; });
        auto* sheet = dynamic_cast<CAudioElementSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        listForm = !sheet->Page1()->m_next->isHidden();
        Click(sheet->Buttons()->button(QDialogButtonBox::Ok));
    });
    EXPECT_FALSE(EditTrackProperties({&records[1]}, help, nullptr, Devices()));
    EXPECT_FALSE(listForm);
}

TEST(BitmapPushButton, HoverColourIsLighterWithoutPassingWhite) {
    EXPECT_EQ(CBitmapPushButton::HoverColour(QColor(100, 120, 140)), QColor(130, 150, 170));
    EXPECT_EQ(CBitmapPushButton::HoverColour(QColor(240, 200, 100)), QColor(255, 215, 115));
    EXPECT_EQ(CBitmapPushButton::HoverColour(QColor(255, 255, 255)), QColor(255, 255, 255));
}

}  // namespace
}  // namespace sonvara::test
