#pragma once

#include "ui/conversiondialog.h"

namespace sonvara {

// "Convert MP3 -> MP3"
class CDlgMP3TOMP3Converting : public CConversionDialog {
    Q_OBJECT
public:
    explicit CDlgMP3TOMP3Converting(CSettings& settings, QWidget* parent = nullptr);
};

}  // namespace sonvara
