#include "ui/dlgmp3towavconverting.h"

#include "ui/dialogunits.h"

namespace sonvara {

CDlgMP3TOWAVConverting::CDlgMP3TOWAVConverting(CRunService& runs, CSettings& settings,
                                               CHelpContext& help, QWidget* parent)
    : CConversionDialog(runs, help, ConversionMode::kMp3ToWav, kHelpMp3ToWav,
                        tr("Convert MP3 -> WAV"), settings, parent) {
    setObjectName(QStringLiteral("mp3ToWavDialog"));
    resize(DialogUnits(this, 318, 161));
}

}  // namespace sonvara
