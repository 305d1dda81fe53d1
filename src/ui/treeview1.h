#pragma once

#include <QLabel>
#include <QStringList>
#include <QTreeView>
#include <QWidget>

#include <memory>

#include "ui/commandtarget.h"

class QMenu;

namespace sonvara {

class CFolderTreeModel;
class CRunService;
class CSonvaraDoc;
class ICommandRouter;
class IProfileStore;

// The one-line caption above the folder tree.
class CCaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CCaptionLabel(const QString& text, QWidget* parent = nullptr);
};

// The folder tree control: the roots, folders read on every expansion, the last selected
// folder kept in the profile ("LastPath", "Path") and selected again at start and on F5.
class CFolderTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    CFolderTreeCtrl(IProfileStore* profile, CRunService& runs, QWidget* parent = nullptr);

    // Lists the roots, then selects the stored last folder.
    void Initialise();
    QString GetFullPath(const QModelIndex& index) const;
    // Walks to the folder, reading each level again; the letter case of the stored path need
    // not match. False when the path is under no root; otherwise the walk goes on as the
    // folders are read and ends with `pathSelected`.
    bool SetSelectedPath(const QString& path);
    QString SelectedPath() const;
    CFolderTreeModel* FolderModel() const { return m_Model; }
    bool IsWalking() const { return !m_Walk.isEmpty() || m_WalkNode.isValid(); }

    // The roots: "/" , the home folder and the mounted volumes under /media, /run/media and
    // /mnt on Linux; the drives on Windows.
    static QStringList RootFolders();
    static QString DefaultLastPath();

signals:
    void folderSelected(const QString& path);
    void pathSelected(bool found);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void OnFolderRead(const QModelIndex& index);
    void WalkStep();
    void EndWalk(bool found);

    IProfileStore* m_Profile = nullptr;
    CFolderTreeModel* m_Model = nullptr;
    QStringList m_Walk;  // the components still to find
    QPersistentModelIndex m_WalkNode;
    // The folders the walk opened that were closed before it: closed again when the path is
    // not found, so that the tree stays as it was.
    QList<QPersistentModelIndex> m_WalkOpened;
    bool m_Selecting = false;
};

// The upper-left pane: the caption " Drives" above the folder tree. Selecting a folder makes
// it the document's current folder; "Add &Tracks" adds the current folder's track files.
class CTreeView1 : public QWidget, public ICommandTarget {
    Q_OBJECT
public:
    CTreeView1(CSonvaraDoc& doc, IProfileStore* profile, QWidget* parent = nullptr);
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
