#pragma once

#include <QObject>

#include "ui/commandtarget.h"

namespace sonvara {

class CHelpBrowserHost;
class CHelpContext;
class CMainFrame;
class CSettings;
class CSonvaraDoc;

// The application's own commands (the last stop of the command routing): the About box, the
// options sheet and the new-document command; and the wiring of the run dialogs into the
// document.
class CSonvaraApp : public QObject, public ICommandTarget {
    Q_OBJECT
public:
    // help and helpBrowser: the program's help-context number and help browser.
    CSonvaraApp(CMainFrame& frame, CSonvaraDoc& doc, CSettings& settings, CHelpContext& help,
                CHelpBrowserHost& helpBrowser);

    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

    // Ctrl+N: the views are set up again. The working list is kept (the document has nothing
    // to load or save), and the columns are not inserted a second time.
    void NewDocument();

private:
    CMainFrame& m_Frame;
    CSonvaraDoc& m_Doc;
    CSettings& m_Settings;
    CHelpContext& m_Help;
    CHelpBrowserHost& m_HelpBrowser;
};

}  // namespace sonvara
