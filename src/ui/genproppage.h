#pragma once

#include <QWidget>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace sonvara {

class CSettings;

// "General": the track directory, tag reading, normalizing, the WAV format and corrupt files.
class CGenPropPage : public QWidget {
    Q_OBJECT
public:
    explicit CGenPropPage(CSettings& settings, QWidget* parent = nullptr);

    // Reads the settings into the controls the first time the page is shown.
    void EnsureCreated();
    bool IsCreated() const { return m_Created; }
    // Writes TrackDir, WAVFormat, ID3Check, Normalize and ConvertCorruptFiles, in that order.
    void Save();
    // Sets the track directory as the folder picker does, and marks the page modified.
    void ChooseFolder(const QString& folder);

    QLineEdit* TrackDirEdit() const { return m_TrackDir; }
    QPushButton* BrowseButton() const { return m_Browse; }
    QCheckBox* ReadTagsCheck() const { return m_ReadTags; }
    QCheckBox* NormalizeCheck() const { return m_Normalize; }
    // How Normalize works: index 0 to a common peak, 1..4 to -23, -18, -16, -14 LUFS.
    QComboBox* NormalizeKindCombo() const { return m_NormalizeKind; }
    QRadioButton* UncompressedRadio() const { return m_Uncompressed; }
    QRadioButton* CompressedRadio() const { return m_Compressed; }
    QCheckBox* ConvertCorruptCheck() const { return m_ConvertCorrupt; }
    QCheckBox* DecodeCheck() const { return m_DecodeCheck; }

signals:
    void Modified();

private:
    void OnBrowse();
    void MarkModified();

    CSettings& m_Settings;
    QRadioButton* m_Uncompressed;  // 1007
    QRadioButton* m_Compressed;    // 1008
    QCheckBox* m_ReadTags;         // 1005
    QCheckBox* m_Normalize;        // 1006
    QCheckBox* m_ConvertCorrupt;   // 1009
    QCheckBox* m_DecodeCheck;
    QComboBox* m_NormalizeKind;
    QLineEdit* m_TrackDir;  // 1003
    QPushButton* m_Browse;  // 1004
    bool m_Created = false;
    bool m_Loading = false;
};

}  // namespace sonvara
