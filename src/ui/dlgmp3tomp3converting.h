#pragma once

#include "ui/conversiondialog.h"

namespace sonvara {

// "Convert MP3 -> MP3"
class CDlgMP3TOMP3Converting : public CConversionDialog {
    Q_OBJECT
public:
    CDlgMP3TOMP3Converting(CRunService& runs, CSettings& settings, CHelpContext& help,
                           QWidget* parent = nullptr);
};

}  // namespace sonvara
