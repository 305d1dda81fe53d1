#pragma once

#include <QList>
#include <QPersistentModelIndex>
#include <QStringList>
#include <QTreeView>

namespace sonvara {

class CFileIconCache;
class CFolderTreeModel;
class CRunService;
class IProfileStore;

// The folder tree control: the roots, folders read on every expansion, the last selected
// folder kept in the profile ("LastPath", "Path") and selected again at start and on F5.
class CFolderTreeCtrl : public QTreeView {
    Q_OBJECT
public:
    CFolderTreeCtrl(IProfileStore* profile, CRunService& runs, CFileIconCache& icons,
                    QWidget* parent = nullptr);

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

}  // namespace sonvara
