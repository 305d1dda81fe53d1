#include "ui/folderpane.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "ui/commandids.h"
#include "ui/commandrouter.h"
#include "ui/folderfiles.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"

namespace sonvara {

CTreeView1::CTreeView1(CSonvaraDoc& doc, IProfileStore* profile, CFileIconCache& icons,
                       QWidget* parent)
    : QWidget(parent), m_Doc(doc) {
    setObjectName("TreeView1");
    setAccessibleName(tr("Folder tree"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_Caption = new CCaptionLabel(tr(" Drives"), this);
    m_Tree = new CFolderTreeCtrl(profile, doc.Runs(), icons, this);
    layout->addWidget(m_Caption);
    layout->addWidget(m_Tree);
    setFocusProxy(m_Tree);
    connect(m_Tree, &CFolderTreeCtrl::folderSelected, this,
            [this](const QString& path) { m_Doc.SetCurrentFolder(PathBytes(path)); });
}

CTreeView1::~CTreeView1() = default;

void CTreeView1::AddFolderFiles() {
    const QString folder = PathText(m_Doc.GetCurrentFolder());
    if (folder.isEmpty()) {
        return;
    }
    m_Doc.Runs().Run<QStringList>(
        this, [folder] { return FolderTrackFiles(folder); },
        [this](QStringList files) {
            if (!files.isEmpty()) {
                m_Doc.AddTracks(ToStdPaths(files));
            }
        });
}

void CTreeView1::contextMenuEvent(QContextMenuEvent* event) {
    if (m_Router == nullptr) {
        return;
    }
    if (m_ContextMenu == nullptr) {
        m_ContextMenu = new QMenu(this);
        m_ContextMenu->setAccessibleName(tr("Folder tree menu"));
        m_ContextMenu->addAction(
            m_Router->CommandAction(cmd::kAddTracks, tr("Add &Tracks"), m_ContextMenu));
    }
    m_Router->UpdateCommandUI();
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? m_Tree->viewport()->mapToGlobal(QPoint(5, 5))
                          : event->globalPos();
    m_ContextMenu->popup(at);
}

bool CTreeView1::QueryCommand(int id, bool& enabled) {
    if (id != cmd::kAddTracks) {
        return false;
    }
    enabled = true;
    return true;
}

void CTreeView1::ExecuteCommand(int id) {
    if (id == cmd::kAddTracks) {
        AddFolderFiles();
    }
}

}  // namespace sonvara
