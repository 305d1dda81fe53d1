#include "app/rundialogs.h"

#include "ui/sonvaradoc.h"

#if __has_include("ui/dlgmp3analyzing.h")
#define SONVARA_RUN_DIALOGS 1
#include "ui/dlgmp3analyzing.h"
#include "ui/dlgmp3tomp3converting.h"
#include "ui/dlgmp3towavconverting.h"
#include "ui/dlgwavtomp3converting.h"
#endif

namespace sonvara {

bool HaveRunDialogs() {
#ifdef SONVARA_RUN_DIALOGS
    return true;
#else
    return false;
#endif
}

void InstallRunDialogs(CSonvaraDoc& doc, CSettings& settings, QWidget* parent) {
#ifdef SONVARA_RUN_DIALOGS
    doc.SetJobRunner(
        [&settings, parent](CSonvaraDoc::Job job, const std::vector<TrackRecord*>& tracks) {
            switch (job) {
                case CSonvaraDoc::Job::kAnalyze: {
                    CDlgMP3Analyzing dialog(settings, parent);
                    dialog.RunOnTracks(tracks);
                    break;
                }
                case CSonvaraDoc::Job::kMp3ToWav: {
                    CDlgMP3TOWAVConverting dialog(settings, parent);
                    dialog.RunOnTracks(tracks);
                    break;
                }
                case CSonvaraDoc::Job::kWavToMp3: {
                    CDlgWAVTOMP3Converting dialog(settings, parent);
                    dialog.RunOnTracks(tracks);
                    break;
                }
                case CSonvaraDoc::Job::kMp3ToMp3: {
                    CDlgMP3TOMP3Converting dialog(settings, parent);
                    dialog.RunOnTracks(tracks);
                    break;
                }
            }
        });
#else
    (void)doc;
    (void)settings;
    (void)parent;
#endif
}

}  // namespace sonvara
