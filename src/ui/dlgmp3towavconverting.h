#pragma once

#include "ui/conversiondialog.h"

namespace sonvara {

// "Convert MP3 -> WAV"
class CDlgMP3TOWAVConverting : public CConversionDialog {
    Q_OBJECT
public:
    explicit CDlgMP3TOWAVConverting(CSettings& settings, QWidget* parent = nullptr);
};

}  // namespace sonvara
