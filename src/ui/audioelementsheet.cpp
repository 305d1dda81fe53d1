#include "ui/audioelementsheet.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPolygon>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <stdexcept>

#include "audio/audiompegfile.h"
#include "audio/audiotrack.h"
#include "audio/mpegdecoder.h"
#include "check/findings.h"
#include "jobs/progresssink.h"
#include "playback/waveplayer.h"
#include "runs/analysisrun.h"
#include "tracks/tagedit.h"
#include "tracks/tracklist.h"
#include "tracks/trackrecord.h"
#include "ui/dialogunits.h"
#include "ui/pagefocus.h"

namespace sonvara {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CAudioElementSheet", text);
}

const QColor kTransparent(255, 0, 255);

// The two pictures (Play: 220, Stop: 219), drawn on magenta, which is then made transparent.
QPixmap Picture(bool play) {
    QPixmap pixmap(16, 16);
    pixmap.fill(kTransparent);
    {
        QPainter p(&pixmap);
        p.setPen(Qt::NoPen);
        if (play) {
            p.setBrush(QColor(0, 128, 0));
            p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(13, 8), QPoint(4, 14)}));
        } else {
            p.setBrush(QColor(0, 0, 0));
            p.drawRect(4, 4, 8, 8);
        }
    }
    pixmap.setMask(pixmap.createMaskFromColor(kTransparent));
    return pixmap;
}

// A check that runs to its end, with its texts from the program's strings.
class CTextsSink : public IProgressSink {
public:
    explicit CTextsSink(const CStrings& strings) : m_Strings(strings) {}
    bool IsAborted() override { return false; }
    void SetProgress(int) override {}
    const CStrings& Strings() const override { return m_Strings; }

private:
    const CStrings& m_Strings;
};

QLabel* Sunken(QWidget* parent, const QString& accessibleName) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAccessibleName(accessibleName);
    return label;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

CAudioElementPage1::CAudioElementPage1(CAudioElementSheet* sheet) : m_sheet(sheet) {
    auto* grid = new QGridLayout(this);
    auto edit = [&](const QString& label, const QString& name, int row) {
        auto* l = new QLabel(label, this);
        auto* e = new QLineEdit(this);
        e->setAccessibleName(name);
        l->setBuddy(e);
        grid->addWidget(l, row, 0);
        grid->addWidget(e, row, 1, 1, 2);
        return e;
    };
    m_fileNameEdit = edit(Tr("File:"), Tr("File"), 0);
    m_fileNameEdit->setEnabled(false);
    m_titleEdit = edit(Tr("Title:"), Tr("Title"), 1);
    m_artistEdit = edit(Tr("Artist:"), Tr("Artist"), 2);
    m_albumEdit = edit(Tr("Album:"), Tr("Album"), 3);
    m_next = new QPushButton(Tr("Change && next"), this);
    m_previous = new QPushButton(Tr("Change && previous"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_next);
    buttons->addWidget(m_previous);
    buttons->addStretch();
    grid->addLayout(buttons, 4, 1, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnMinimumWidth(1, DialogUnits(this, 209, 12).width());
    setMinimumSize(DialogUnits(this, 258, 106));
    for (QLineEdit* e : {m_titleEdit, m_artistEdit, m_albumEdit}) {
        QObject::connect(e, &QLineEdit::textEdited, [this] { m_sheet->SetModified(true); });
    }
    QObject::connect(m_next, &QPushButton::clicked, [this] {
        UpdateData(true);
        m_sheet->Next();
    });
    QObject::connect(m_previous, &QPushButton::clicked, [this] {
        UpdateData(true);
        m_sheet->Previous();
    });
}

void CAudioElementPage1::UpdateData(bool fromControls) {
    if (fromControls) {
        m_fileName = m_fileNameEdit->text();
        m_title = m_titleEdit->text();
        m_artist = m_artistEdit->text();
        m_album = m_albumEdit->text();
        return;
    }
    m_fileNameEdit->setText(m_fileName);
    m_titleEdit->setText(m_title);
    m_artistEdit->setText(m_artist);
    m_albumEdit->setText(m_album);
}

// ---------------------------------------------------------------------------------------------

CAudioElementPage2::CAudioElementPage2(CAudioElementSheet* sheet) : m_sheet(sheet) {
    auto* grid = new QGridLayout(this);
    auto row = [&](const QString& label, const QString& name, int r) {
        grid->addWidget(new QLabel(label, this), r, 0);
        QLabel* text = Sunken(this, name);
        text->setMinimumWidth(DialogUnits(this, 60, 10).width());
        grid->addWidget(text, r, 1);
        return text;
    };
    m_lengthText = row(Tr("Length:"), Tr("Length"), 0);
    m_sampleRateText = row(Tr("Sampling Rate:"), Tr("Sampling Rate"), 1);
    m_formatText = row(Tr("Format:"), Tr("Format"), 2);
    m_positionText = row(Tr("Position:"), Tr("Position"), 3);
    m_play = new CBitmapPushButton(Picture(true), Tr("Play"), this);
    m_stop = new CBitmapPushButton(Picture(false), Tr("Stop"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_play);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    grid->setRowMinimumHeight(4, DialogUnits(this, 1, 10).height());
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(2, 1);
    m_position = QStringLiteral("0:00 ");
    m_positionTimer.setInterval(1000);
    QObject::connect(&m_positionTimer, &QTimer::timeout, [this] { OnPositionTimer(); });
    QObject::connect(m_play, &QAbstractButton::clicked, [this] { m_sheet->Play(); });
    QObject::connect(m_stop, &QAbstractButton::clicked, [this] { m_sheet->Stop(); });
}

void CAudioElementPage2::UpdateData() {
    m_formatText->setText(m_format);
    m_lengthText->setText(m_length);
    m_sampleRateText->setText(m_sampleRate);
    m_positionText->setText(m_position);
}

void CAudioElementPage2::OnPositionTimer() {
    const CWavePlayer* player = m_sheet->Player();
    const int s = player != nullptr ? player->GetPosition() / 1000 : 0;
    m_position = QString::asprintf("%d:%02d ", s / 60, s % 60);
    UpdateData();
}

// ---------------------------------------------------------------------------------------------

namespace {

// The kinds' titles as the window shows them (FindingKindTitle gives the English).
QString KindTitle(FindingKind kind) {
    switch (kind) {
        case FindingKind::kJunkBeforeFirstFrame: return Tr("Junk before the first frame");
        case FindingKind::kLostSync: return Tr("Lost sync");
        case FindingKind::kInvalidHeader: return Tr("Invalid frame header");
        case FindingKind::kTruncatedFrame: return Tr("Truncated last frame");
        case FindingKind::kFormatChange: return Tr("Stream format changes");
        case FindingKind::kVbrHeaderMismatch: return Tr("VBR header disagrees");
        case FindingKind::kCrcMismatch: return Tr("CRC mismatch");
        case FindingKind::kId3v2PastEnd: return Tr("ID3v2 tag runs past the end");
        case FindingKind::kTagInAudio: return Tr("Tag inside the audio");
        case FindingKind::kTrailingData: return Tr("Data after the last frame");
        case FindingKind::kDecodeError: return Tr("Audio data damaged");
    }
    return QString::fromUtf8(FindingKindTitle(kind));
}

}  // namespace

CAudioElementCheckPage::CAudioElementCheckPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("checkPage"));
    m_verdict = new QLabel(this);
    m_verdict->setObjectName(QStringLiteral("checkVerdict"));
    m_verdict->setWordWrap(true);
    m_findings = new QTreeWidget(this);
    m_findings->setObjectName(QStringLiteral("checkFindings"));
    m_findings->setAccessibleName(Tr("Findings"));
    m_findings->setRootIsDecorated(false);
    m_findings->setHeaderLabels({Tr("Severity"), Tr("Kind"), Tr("Time"), Tr("Offset"), Tr("What")});
    m_findings->setMinimumSize(DialogUnits(this, 300, 110));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_verdict);
    layout->addWidget(m_findings);
}

void CAudioElementCheckPage::ShowFile(const std::string& path, const CStrings& strings) {
    m_findings->clear();
    if (!CTrackList::IsMp3Path(path)) {
        m_verdict->setText(Tr("Only MP3 files are checked frame by frame."));
        return;
    }
    CTextsSink texts(strings);
    const CheckVerdict v = CheckMp3File(path, &texts);
    if (v.kind == CheckVerdict::kError) {
        m_verdict->setText(Tr("Not checked: %1").arg(QString::fromStdString(v.reason)));
        return;
    }
    const QString verdict = v.kind == CheckVerdict::kOk ? Tr("OK") : Tr("Corrupt");
    m_verdict->setText(
        v.findings.empty()
            ? Tr("%1: %2 frames, nothing found.").arg(verdict).arg(v.frames)
            : Tr("%1: %2 frames, %3 findings.")
                  .arg(verdict)
                  .arg(v.frames)
                  .arg(static_cast<qlonglong>(v.findings.size() +
                                              static_cast<std::size_t>(v.findingsLeftOut))));
    for (const Finding& f : v.findings) {
        auto* row = new QTreeWidgetItem(m_findings);
        row->setText(0, f.severity == FindingSeverity::kError ? Tr("Error") : Tr("Warning"));
        row->setText(1, KindTitle(f.kind));
        row->setText(2, QString::fromStdString(FormatTimeMs(f.timeMs)));
        row->setText(3, QString::number(f.offset));
        row->setText(4, QString::fromStdString(f.text));
        if (f.severity == FindingSeverity::kError) {
            row->setForeground(0, QColor(Qt::red));
        }
    }
    m_findings->header()->resizeSections(QHeaderView::ResizeToContents);
}

CAudioElementSheet::CAudioElementSheet(TrackRecord& record, CHelpContext& help, QWidget* parent,
                                       WaveOutDeviceFactory makeDevice, const CStrings& strings)
    : QDialog(parent),
      m_help(help),
      m_strings(strings),
      m_listMode(false),
      m_pRecord(&record),
      m_index(0),
      m_makeDevice(std::move(makeDevice)) {
    CommonSetUp();
}

CAudioElementSheet::CAudioElementSheet(std::vector<TrackRecord*> records, CHelpContext& help,
                                       QWidget* parent, WaveOutDeviceFactory makeDevice,
                                       const CStrings& strings)
    : QDialog(parent),
      m_help(help),
      m_strings(strings),
      m_listMode(true),
      m_pRecord(records.empty() ? nullptr : records.front()),
      m_index(0),
      m_pRecords(std::move(records)),
      m_makeDevice(std::move(makeDevice)) {
    CommonSetUp();
}

void CAudioElementSheet::CommonSetUp() {
    setWindowTitle(Tr("Properties"));
    setAccessibleName(Tr("Properties"));
    m_tabs = new QTabWidget(this);
    m_page1 = new CAudioElementPage1(this);
    m_page2 = new CAudioElementPage2(this);
    m_tabs->addTab(m_page1, Tr("File"));
    m_tabs->addTab(m_page2, Tr("Properties"));
    m_checkPage = new CAudioElementCheckPage(this);
    m_tabs->addTab(m_checkPage, Tr("Check"));
    m_buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    QObject::connect(m_buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked,
                     [this] { OnOk(); });
    QObject::connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked,
                     [this] { OnApply(); });
    QObject::connect(m_buttons, &QDialogButtonBox::rejected, [this] { reject(); });
    QObject::connect(m_tabs, &QTabWidget::currentChanged, [this](int i) { OnPageChanged(i); });
    SetModified(false);
    m_savedHelpContext = std::make_unique<CHelpContextScope>(&m_help, kHelpTrackProperties);
    LoadRecord();
    ShowRecord();
}

CAudioElementSheet::~CAudioElementSheet() {
    m_page2->m_positionTimer.stop();
    if (m_pPlayer) {
        m_pPlayer->Close();
        m_pPlayer.reset();  // silences the device even while playing
    }
    m_pAudioTrack.reset();
    m_savedHelpContext.reset();
}

void CAudioElementSheet::SetModified(bool modified) {
    m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

void CAudioElementSheet::LoadRecord() {
    if (m_listMode && m_index < static_cast<int>(m_pRecords.size())) {
        m_pRecord = m_pRecords[static_cast<std::size_t>(m_index)];
    }
    if (m_pPlayer) {
        m_pPlayer->Pause();
        m_pPlayer->Close();
        m_pPlayer.reset();
    }
    m_pAudioTrack.reset();
    m_playing = false;
    if (m_pRecord != nullptr) {
        try {
            m_pAudioTrack = std::make_unique<CAudioTrack>(m_pRecord->path);
        } catch (const std::invalid_argument&) {
            m_pAudioTrack.reset();  // neither MP3 nor WAV: shown empty, nothing plays
        }
    }
    m_pPlayer = std::make_unique<CWavePlayer>(MakeWaveOutDevice(m_makeDevice));
}

void CAudioElementSheet::ShowRecord() {
    CAudioFile* file = m_pAudioTrack ? m_pAudioTrack->GetFile() : nullptr;
    const std::string path = m_pRecord != nullptr ? m_pRecord->path : std::string();
    m_page1->m_fileName = QString::fromStdString(file != nullptr ? file->GetFileName() : path);
    m_page1->m_artist = QString::fromStdString(file != nullptr ? file->GetArtist() : "");
    m_page1->m_title = QString::fromStdString(file != nullptr ? file->GetTitle() : "");
    m_page1->m_album = QString::fromStdString(file != nullptr ? file->GetAlbum() : "");
    const bool writable = file != nullptr && !file->IsReadOnly();
    for (QLineEdit* e : {m_page1->m_titleEdit, m_page1->m_artistEdit, m_page1->m_albumEdit}) {
        e->setEnabled(writable);
    }
    m_page1->m_next->setVisible(m_listMode);
    m_page1->m_previous->setVisible(m_listMode);

    const int frames = m_pAudioTrack ? m_pAudioTrack->GetLengthInFrames() : 0;
    const int t = frames / 75;
    m_page2->m_length = QString::asprintf("%d:%02d:%02d mm:ss:ff", t / 60, t % 60, frames % 75);
    m_page2->m_sampleRate = QString::asprintf(
        "%ld Hz", file != nullptr ? static_cast<long>(file->GetSampleRate()) : 0L);
    // The stream's own version and layer: MPEG-2 and 2.5, Layers I and II are MP3 files too.
    if (const auto* mpeg = dynamic_cast<const CAudioMpegFile*>(file)) {
        m_page2->m_format = QString::fromStdString(MpegFormatText(mpeg->StreamInfo()));
    } else if (m_pAudioTrack && m_pAudioTrack->GetExtension() == ".MP3") {
        m_page2->m_format = QStringLiteral("MPEG");  // named .mp3 but not readable
    } else {
        m_page2->m_format = QStringLiteral("Wave");
    }
    m_page2->m_position = QStringLiteral("0:00 ");
    setWindowTitle(
        Tr("Properties of: %1")
            .arg(m_page1->m_title.isEmpty() ? QString::fromStdString(path) : m_page1->m_title));
    if (file != nullptr) {
        m_pPlayer->Open(file, [this] { OnBufferDone(); });
    }
    m_page1->UpdateData(false);
    m_page2->UpdateData();
    m_checkPage->ShowFile(path, m_strings);
    SetModified(false);
}

void CAudioElementSheet::OnBufferDone() {
    if (!m_pPlayer) {
        return;
    }
    m_pPlayer->OnBufferDone(false);
    if (!m_pPlayer->IsActive()) {
        m_pPlayer->SeekPercent(0);
    }
}

bool CAudioElementSheet::Save() {
    m_page1->UpdateData(true);
    if (m_playing) {
        m_pPlayer->Pause();
        m_playing = false;
        m_pPlayer->Close();
    }
    CAudioFile* file = m_pAudioTrack ? m_pAudioTrack->GetFile() : nullptr;
    if (file == nullptr || m_pRecord == nullptr || file->IsReadOnly()) {
        return true;  // a read-only file is never written
    }
    const std::string title = m_page1->m_title.toStdString();
    const std::string artist = m_page1->m_artist.toStdString();
    const std::string album = m_page1->m_album.toStdString();
    const TrackRecord before = *m_pRecord;
    if (title == file->GetTitle() && artist == file->GetArtist() && album == file->GetAlbum()) {
        // The file holds these texts already: only the record takes them.
        m_pRecord->SetTitle(title);
        m_pRecord->SetArtist(artist);
        m_pRecord->SetAlbum(album);
    } else {
        std::string error;
        if (!EditTrackTags(*m_pRecord, title, artist, album, &error)) {
            QMessageBox::warning(
                this, windowTitle(),
                Tr("The tags could not be saved.\n\n%1").arg(QString::fromStdString(error)));
            return false;
        }
        // The track now holds what the file holds, and so do the fields.
        file->SetTitle(m_pRecord->title);
        file->SetArtist(m_pRecord->artist);
        file->SetAlbum(m_pRecord->album);
        m_page1->m_title = QString::fromStdString(m_pRecord->title);
        m_page1->m_artist = QString::fromStdString(m_pRecord->artist);
        m_page1->m_album = QString::fromStdString(m_pRecord->album);
        m_page1->UpdateData(false);
    }
    if (before.title != m_pRecord->title || before.artist != m_pRecord->artist ||
        before.album != m_pRecord->album) {
        m_changed = true;
    }
    SetModified(false);
    return true;
}

void CAudioElementSheet::Next() {
    if (!Save()) {
        return;  // the reason was shown; the edit stays on screen
    }
    if (m_listMode && m_index < static_cast<int>(m_pRecords.size()) - 1) {
        ++m_index;
        LoadRecord();
        ShowRecord();
    }
}

void CAudioElementSheet::Previous() {
    if (!Save()) {
        return;
    }
    if (m_listMode && m_index > 0) {
        --m_index;
        LoadRecord();
        ShowRecord();
    }
}

void CAudioElementSheet::Play() {
    CAudioFile* file = m_pAudioTrack ? m_pAudioTrack->GetFile() : nullptr;
    if (file == nullptr) {
        return;
    }
    if (!m_pPlayer->IsOpen()) {
        // Closed by a save: open it again, from the start of the track.
        m_pPlayer->Open(file, [this] { OnBufferDone(); });
    }
    m_pPlayer->Play();
    m_playing = true;
}

void CAudioElementSheet::Stop() {
    m_pPlayer->Pause();
    m_playing = false;
}

void CAudioElementSheet::OnOk() {
    if (Save()) {
        accept();
    }
}

void CAudioElementSheet::OnApply() {
    Save();
}

void CAudioElementSheet::OnPageChanged(int index) {
    if (m_tabs->widget(index) == m_page2) {
        m_page2->m_positionTimer.start();
    } else {
        m_page2->m_positionTimer.stop();
    }
}

void CAudioElementSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_widened) {
        return;
    }
    m_widened = true;
    FocusFirstControl(m_tabs->currentWidget());  // typing goes into the title at once
    // 100 pixels wider than the pages, the strip at the right edge left empty; centred.
    QMargins margins = layout()->contentsMargins();
    margins.setRight(margins.right() + 100);
    layout()->setContentsMargins(margins);
    layout()->activate();
    const QWidget* over = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    const QRect area = over != nullptr ? over->geometry()
                                       : (screen() != nullptr ? screen()->availableGeometry()
                                                              : QRect(0, 0, 1024, 768));
    move(area.center() - rect().center());
    if (m_tabs->currentWidget() == m_page2) {
        m_page2->m_positionTimer.start();
    }
}

bool EditTrackProperties(const std::vector<TrackRecord*>& records, CHelpContext& help,
                         QWidget* parent, const WaveOutDeviceFactory& makeDevice) {
    if (records.empty()) {
        return false;
    }
    std::unique_ptr<CAudioElementSheet> sheet =
        records.size() == 1
            ? std::make_unique<CAudioElementSheet>(*records.front(), help, parent, makeDevice)
            : std::make_unique<CAudioElementSheet>(records, help, parent, makeDevice);
    sheet->exec();
    return sheet->Changed();
}

}  // namespace sonvara
