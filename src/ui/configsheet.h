#pragma once

#include <QDialog>

#include "ui/helpcontext.h"

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace sonvara {

class CSettings;
class CGenPropPage;
class CEncoderPropPage;

// The options sheet: "General" and "MP3 Encoder". OK and Apply write every page that has been
// shown; Cancel writes nothing. Opens on "General".
class CConfigSheet : public QDialog {
    Q_OBJECT
public:
    // help: the program's help-context number, the sheet's own while it is open.
    CConfigSheet(CSettings& settings, CHelpContext& help, QWidget* parent = nullptr);

    // Writes every page that has been shown; true.
    bool SaveAll();

    CGenPropPage* GeneralPage() const { return m_General; }
    CEncoderPropPage* EncoderPage() const { return m_Encoder; }
    QTabWidget* Tabs() const { return m_Tabs; }
    QPushButton* OkButton() const;
    QPushButton* CancelButton() const;
    QPushButton* ApplyButton() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnPageShown(int index);
    void OnModified();
    void OnApply();
    void OnOk();

    CHelpContextScope m_Help;
    CGenPropPage* m_General;
    CEncoderPropPage* m_Encoder;
    QTabWidget* m_Tabs;
    QDialogButtonBox* m_Buttons;
};

}  // namespace sonvara
