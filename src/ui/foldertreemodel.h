#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QStringList>

#include <memory>
#include <vector>

namespace sonvara {

class CFileIconCache;
class CRunService;

// The folder tree: top items for the machine's roots, folders below them read lazily. A folder
// that may have content carries one placeholder child (empty text) until it is read; every
// expansion reads the folder again (so it always shows the file system as it is now), and a
// collapse drops the children and puts the placeholder back. Folders are read off the UI
// thread (on the run service), so a slow or hung mount never freezes the window.
class CFolderTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    CFolderTreeModel(CRunService& runs, CFileIconCache& icons, QObject* parent = nullptr);
    ~CFolderTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Replaces every item by the given top folders, each with a placeholder.
    void SetRoots(const QStringList& roots);
    // Reads the folder again (after an expansion); `folderRead` follows.
    void ReadFolder(const QModelIndex& index);
    // Drops the children and puts a placeholder back (after a collapse).
    void ResetChildren(const QModelIndex& index);
    bool IsPlaceholder(const QModelIndex& index) const;
    bool IsReading(const QModelIndex& index) const;
    QString FullPath(const QModelIndex& index) const;
    QModelIndex TopItemFor(const QString& path, QString* rest) const;

    // The subfolders of a folder, sorted case-insensitively, and whether each has content.
    struct Entry {
        QString name;
        bool hasContent = false;
    };
    static std::vector<Entry> ListFolder(const QString& path);
    static bool HasContent(const QString& path);

signals:
    void folderRead(const QModelIndex& index);

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    void Forget(Node* node);
    void ReplaceChildren(Node* node, std::vector<std::unique_ptr<Node>> children);
    std::unique_ptr<Node> MakeNode(const QString& text, Node* parent, bool placeholder);

    std::unique_ptr<Node> m_Root;
    QHash<quint64, Node*> m_Live;
    quint64 m_NextId = 1;
    CRunService& m_Runs;
    CFileIconCache& m_Icons;
};

}  // namespace sonvara
