// CListTracksView: the view of the track files of the folder chosen in the folder pane.
#include "ui/folderfilesview.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

#include "ui/commandids.h"
#include "ui/commandrouter.h"
#include "ui/fileicons.h"
#include "ui/folderfiles.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/statelog.h"

namespace sonvara {

int CFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_Paths.size());
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_Paths.size() || index.column() != 0) {
        return {};
    }
    const QString& path = m_Paths.at(index.row());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return ShownPath(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1));
        case Qt::ToolTipRole: return ShownPath(path);
        case Qt::DecorationRole: return m_Icons.ForFile(path);
        default: return {};
    }
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 &&
        (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)) {
        return tr("Track");
    }
    return {};
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractListModel::flags(index);
    if (index.isValid()) {
        f |= Qt::ItemIsDragEnabled;
    }
    return f;
}

QStringList CFileListModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CFileListModel::mimeData(const QModelIndexList& indexes) const {
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && !rows.contains(index.row())) {
            rows.append(index.row());
        }
    }
    std::sort(rows.begin(), rows.end());
    QList<QUrl> urls;
    for (int row : rows) {
        urls.append(PathUrl(m_Paths.at(row)));
    }
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

void CFileListModel::SetPaths(QStringList paths) {
    // A folder's listing replaces the whole list (another folder, or the same one read
    // again): the one change here that is a reset.
    beginResetModel();
    m_Paths = std::move(paths);
    endResetModel();
}

CListTracksView::CListTracksView(CSonvaraDoc& doc, CFileIconCache& icons, QWidget* parent)
    : QTreeView(parent), m_Doc(doc) {
    setObjectName("ListTracks");
    setAccessibleName(tr("Track files"));
    m_Model = new CFileListModel(icons, this);
    setModel(m_Model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    header()->setStretchLastSection(false);
    header()->resizeSection(0, 250);
    header()->setSectionsClickable(false);
    header()->setAccessibleName(tr("Track files header"));
    connect(&doc, &CSonvaraDoc::currentFolderChanged, this, &CListTracksView::RefreshFileList);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_Router != nullptr) {
            m_Router->UpdateCommandUI();
        }
    });
}

CListTracksView::~CListTracksView() = default;

void CListTracksView::RefreshFileList() {
    const QString folder = PathText(m_Doc.GetCurrentFolder());
    const quint64 generation = ++m_Generation;
    m_Doc.Runs().Run<QStringList>(
        this, [folder] { return FolderTrackFiles(folder); },
        [this, generation](QStringList paths) {
            if (generation != m_Generation) {
                return;  // a newer folder was chosen meanwhile
            }
            const auto count = paths.size();
            m_Model->SetPaths(std::move(paths));
            qCInfo(lcState).noquote().nospace() << "folder listed: " << count << " track files";
            emit listed();
        });
}

QStringList CListTracksView::SelectedPaths() const {
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    QStringList paths;
    for (int row : rows) {
        paths.append(m_Model->Paths().at(row));
    }
    return paths;
}

void CListTracksView::AddSelectedFiles() {
    const QStringList paths = SelectedPaths();
    if (!paths.isEmpty()) {
        m_Doc.AddTracks(ToStdPaths(paths));
    }
}

void CListTracksView::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    if (event->key() == Qt::Key_A && !event->isAutoRepeat()) {
        selectAll();
    }
}

void CListTracksView::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    m_PressSelection = index.isValid() && selectionModel()->isSelected(index)
                           ? selectionModel()->selection()
                           : QItemSelection();
    QTreeView::mousePressEvent(event);
}

void CListTracksView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // A double click on one of several selected rows adds them all: the first click of it
    // does not narrow the selection to the clicked row.
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid() && m_PressSelection.contains(index)) {
        selectionModel()->select(m_PressSelection, QItemSelectionModel::ClearAndSelect);
    }
    m_PressSelection = QItemSelection();
    AddSelectedFiles();
}

void CListTracksView::contextMenuEvent(QContextMenuEvent* event) {
    if (m_Router == nullptr) {
        return;
    }
    if (m_ContextMenu == nullptr) {
        m_ContextMenu = new QMenu(this);
        m_ContextMenu->setAccessibleName(tr("Track files menu"));
        m_ContextMenu->addAction(
            m_Router->CommandAction(cmd::kAddTracks, tr("Add &Tracks"), m_ContextMenu));
    }
    m_Router->UpdateCommandUI();
    const QPoint at = event->reason() == QContextMenuEvent::Keyboard
                          ? viewport()->mapToGlobal(QPoint(5, 5))
                          : event->globalPos();
    m_ContextMenu->popup(at);
}

bool CListTracksView::QueryCommand(int id, bool& enabled) {
    if (id != cmd::kAddTracks) {
        return false;
    }
    enabled = selectionModel()->hasSelection();
    return true;
}

void CListTracksView::ExecuteCommand(int id) {
    if (id == cmd::kAddTracks) {
        AddSelectedFiles();
    }
}

}  // namespace sonvara
