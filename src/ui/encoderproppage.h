#pragma once

#include <QWidget>
#include <cstdint>

class QComboBox;
class QRadioButton;

namespace sonvara {

class CSettings;

// "MP3 Encoder": bit rate, quality, and constant or variable bit rate.
class CEncoderPropPage : public QWidget {
    Q_OBJECT
public:
    explicit CEncoderPropPage(CSettings& settings, QWidget* parent = nullptr);

    void EnsureCreated();
    bool IsCreated() const { return m_Created; }
    // Writes the encoder settings record; an index without a list entry is written as -1.
    void Save();

    QComboBox* BitRateList() const { return m_BitRateList; }
    QComboBox* QualityList() const { return m_QualityList; }
    QRadioButton* VbrRadio() const { return m_Vbr; }
    QRadioButton* CbrRadio() const { return m_Cbr; }

signals:
    void Modified();

private:
    void MarkModified();
    void ToControls();
    void FromControls();

    CSettings& m_Settings;
    std::int32_t m_BitRate = -1;
    std::int32_t m_Quality = -1;
    QRadioButton* m_Vbr;       // 1169
    QRadioButton* m_Cbr;       // 1168
    QComboBox* m_BitRateList;  // 1053
    QComboBox* m_QualityList;  // 1011
    bool m_Created = false;
    bool m_Loading = false;
};

}  // namespace sonvara
