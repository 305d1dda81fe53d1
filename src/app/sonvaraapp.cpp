#include "app/sonvaraapp.h"

#include "app/aboutdlg.h"
#include "ui/configsheet.h"
#include "ui/helpbrowser.h"
#include "ui/helpcontext.h"

#include "ui/commandids.h"
#include "ui/folderfilesview.h"
#include "ui/mainframe.h"
#include "ui/sonvaradoc.h"
#include "ui/tracklistview.h"

namespace sonvara {

CSonvaraApp::CSonvaraApp(CMainFrame& frame, CSonvaraDoc& doc, CSettings& settings,
                         CHelpContext& help, CHelpBrowserHost& helpBrowser)
    : QObject(&frame),
      m_Frame(frame),
      m_Doc(doc),
      m_Settings(settings),
      m_Help(help),
      m_HelpBrowser(helpBrowser) {}

bool CSonvaraApp::QueryCommand(int id, bool& enabled) {
    switch (id) {
        case cmd::kAbout:
        case cmd::kNewDocument:
        case cmd::kSettings:
        case cmd::kHelpContents: enabled = true; return true;
        default: return false;
    }
}

void CSonvaraApp::ExecuteCommand(int id) {
    switch (id) {
        case cmd::kAbout: {
            CAboutDlg about(&m_Frame);
            about.exec();
            break;
        }
        case cmd::kSettings: {
            CConfigSheet sheet(m_Settings, m_Help, &m_Frame);
            sheet.exec();
            break;
        }
        case cmd::kHelpContents:
            m_HelpBrowser.ShowHelpTopic(m_Help.Get(), m_HelpBrowser.HelpParent(&m_Frame));
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
