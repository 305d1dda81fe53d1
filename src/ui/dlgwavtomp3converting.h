#pragma once

#include "ui/conversiondialog.h"

namespace sonvara {

// "Convert WAV -> MP3"
class CDlgWAVTOMP3Converting : public CConversionDialog {
    Q_OBJECT
public:
    CDlgWAVTOMP3Converting(CRunService& runs, CSettings& settings, CHelpContext& help,
                           QWidget* parent = nullptr);
};

}  // namespace sonvara
