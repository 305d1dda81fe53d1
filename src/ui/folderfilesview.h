// CListTracksView: the view of the track files of the folder chosen in the folder pane.
#pragma once

#include <QAbstractListModel>
#include <QStringList>
#include <QTreeView>

#include <memory>

#include "ui/commandtarget.h"

class QMenu;

namespace sonvara {

class CFileIconCache;
class CSonvaraDoc;
class ICommandRouter;

// The track files of one folder: one column "Track" with the file's icon and name. Rows drag
// out as file URLs.
class CFileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit CFileListModel(CFileIconCache& icons, QObject* parent = nullptr)
        : QAbstractListModel(parent), m_Icons(icons) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    void SetPaths(QStringList paths);
    const QStringList& Paths() const { return m_Paths; }

private:
    CFileIconCache& m_Icons;
    QStringList m_Paths;
};

// The lower-left pane: the MP3 and WAV files of the document's current folder. A double click
// or "Add &Tracks" adds the selected files; releasing A selects every row. The folder is
// listed off the UI thread.
class CListTracksView : public QTreeView, public ICommandTarget {
    Q_OBJECT
public:
    CListTracksView(CSonvaraDoc& doc, CFileIconCache& icons, QWidget* parent = nullptr);
    ~CListTracksView() override;

    void SetRouter(ICommandRouter* router) { m_Router = router; }
    void RefreshFileList();
    void AddSelectedFiles();
    QStringList SelectedPaths() const;
    CFileListModel* FileModel() const { return m_Model; }

    bool QueryCommand(int id, bool& enabled) override;
    void ExecuteCommand(int id) override;

signals:
    // The folder's files are shown.
    void listed();

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CSonvaraDoc& m_Doc;
    CFileListModel* m_Model = nullptr;
    ICommandRouter* m_Router = nullptr;
    QMenu* m_ContextMenu = nullptr;
    quint64 m_Generation = 0;
    QItemSelection m_PressSelection;  // the selection when a selected row was pressed
};

}  // namespace sonvara
