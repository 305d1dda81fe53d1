#include "app/sonvaraapp.h"

#include <QMessageBox>

#include "ui/commandids.h"
#include "ui/listselectedtrackslistview.h"
#include "ui/listtracksview.h"
#include "ui/mainframe.h"
#include "ui/sonvaradoc.h"

namespace sonvara {

CSonvaraApp::CSonvaraApp(CMainFrame& frame, CSonvaraDoc& doc, CSettings& settings)
    : QObject(&frame), m_Frame(frame), m_Doc(doc), m_Settings(settings) {}

bool CSonvaraApp::QueryCommand(int id, bool& enabled) {
    switch (id) {
        case cmd::kAbout:
        case cmd::kNewDocument: enabled = true; return true;
        default: return false;
    }
}

void CSonvaraApp::ExecuteCommand(int id) {
    switch (id) {
        case cmd::kAbout:
            QMessageBox::about(&m_Frame, tr("About Velmora Sonvara 2.0"),
                               tr("<b>Velmora Sonvara 2.0</b><br>Version 2.01<br><br>"
                                  "Checks MP3 files frame by frame, converts between MP3 and "
                                  "WAV, and edits title, artist and album tags.<br><br>"
                                  "MPEG Layer-3 audio coding technology: MP3 encoding by the "
                                  "LAME library, decoding by libmpg123."));
            break;
        case cmd::kNewDocument: NewDocument(); break;
        default: break;
    }
}

void CSonvaraApp::NewDocument() {
    m_Frame.GetSelectedTracksView()->OnInitialUpdate();
    m_Frame.GetTrackFilesView()->RefreshFileList();
}

}  // namespace sonvara
