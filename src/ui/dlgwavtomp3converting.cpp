#include "ui/dlgwavtomp3converting.h"

#include "ui/dialogunits.h"

namespace sonvara {

CDlgWAVTOMP3Converting::CDlgWAVTOMP3Converting(CRunService& runs, CSettings& settings,
                                               CHelpContext& help, QWidget* parent)
    : CConversionDialog(runs, help, ConversionMode::kWavToMp3, kHelpWavToMp3,
                        tr("Convert WAV -> MP3"), settings, parent) {
    setObjectName(QStringLiteral("wavToMp3Dialog"));
    resize(DialogUnits(this, 318, 162));
}

}  // namespace sonvara
