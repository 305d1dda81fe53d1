#pragma once

#include <QWidget>

#include "ui/captionlabel.h"
#include "ui/commandtarget.h"
#include "ui/foldertreectrl.h"

class QMenu;

namespace sonvara {

class CFileIconCache;
class CSonvaraDoc;
class ICommandRouter;
class IProfileStore;

// CTreeView1: the folder pane.
// The upper-left pane: the caption " Drives" above the folder tree. Selecting a folder makes
// it the document's current folder; "Add &Tracks" adds the current folder's track files.
class CTreeView1 : public QWidget, public ICommandTarget {
    Q_OBJECT
public:
    CTreeView1(CSonvaraDoc& doc, IProfileStore* profile, CFileIconCache& icons,
               QWidget* parent = nullptr);
    ~CTreeView1() override;

    void SetRouter(ICommandRouter* router) { m_Router = router; }
    CFolderTreeCtrl* Tree() const { return m_Tree; }
    void AddFolderFiles();

    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CSonvaraDoc& m_Doc;
    CCaptionLabel* m_Caption = nullptr;
    CFolderTreeCtrl* m_Tree = nullptr;
    ICommandRouter* m_Router = nullptr;
    QMenu* m_ContextMenu = nullptr;
};

}  // namespace sonvara
