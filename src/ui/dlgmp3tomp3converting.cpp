#include "ui/dlgmp3tomp3converting.h"

#include "ui/dialogunits.h"

namespace sonvara {

CDlgMP3TOMP3Converting::CDlgMP3TOMP3Converting(CRunService& runs, CSettings& settings,
                                               CHelpContext& help, QWidget* parent)
    : CConversionDialog(runs, help, ConversionMode::kMp3ToMp3, kHelpMp3ToMp3,
                        tr("Convert MP3 -> MP3"), settings, parent) {
    setObjectName(QStringLiteral("mp3ToMp3Dialog"));
    resize(DialogUnits(this, 318, 162));
}

}  // namespace sonvara
