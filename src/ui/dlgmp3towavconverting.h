#pragma once

#include "ui/conversiondialog.h"

namespace sonvara {

// "Convert MP3 -> WAV"
class CDlgMP3TOWAVConverting : public CConversionDialog {
    Q_OBJECT
public:
    CDlgMP3TOWAVConverting(CRunService& runs, CSettings& settings, CHelpContext& help,
                           QWidget* parent = nullptr);
};

}  // namespace sonvara
