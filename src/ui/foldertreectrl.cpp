#include "ui/foldertreectrl.h"

#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStorageInfo>

#include <algorithm>

#include "platform/paths.h"
#include "tracks/profilestore.h"
#include "ui/folderfiles.h"
#include "ui/foldertreemodel.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/statelog.h"

namespace sonvara {

namespace {
constexpr const char* kLastPathSection = "LastPath";
constexpr const char* kLastPathValue = "Path";
}  // namespace

CFolderTreeCtrl::CFolderTreeCtrl(IProfileStore* profile, CRunService& runs, CFileIconCache& icons,
                                 QWidget* parent)
    : QTreeView(parent), m_Profile(profile) {
    setObjectName("FolderTree");
    setAccessibleName(tr("Folders"));
    m_Model = new CFolderTreeModel(runs, icons, this);
    setModel(m_Model);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    setExpandsOnDoubleClick(true);
    setAnimated(false);
    connect(this, &QTreeView::expanded, m_Model, &CFolderTreeModel::ReadFolder);
    connect(this, &QTreeView::collapsed, m_Model, &CFolderTreeModel::ResetChildren);
    connect(m_Model, &CFolderTreeModel::folderRead, this, &CFolderTreeCtrl::OnFolderRead);
}

QString CFolderTreeCtrl::DefaultLastPath() {
#ifdef Q_OS_WIN
    return QStringLiteral("c:\\");
#else
    return PathText(MusicFolder());
#endif
}

QStringList CFolderTreeCtrl::RootFolders() {
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives()) {
        roots.append(QDir::toNativeSeparators(drive.absoluteFilePath()));
    }
#else
    const QString home = QDir::homePath();
    if (!home.isEmpty() && home != QLatin1String("/")) {
        roots.append(home);
    }
    roots.append(QStringLiteral("/"));
    QStringList volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (root.startsWith(QLatin1String("/media/")) ||
            root.startsWith(QLatin1String("/run/media/")) ||
            root.startsWith(QLatin1String("/mnt/"))) {
            volumes.append(root);
        }
    }
    std::sort(volumes.begin(), volumes.end());
    volumes.removeDuplicates();
    roots.append(volumes);
#endif
    return roots;
}

void CFolderTreeCtrl::Initialise() {
    m_Walk.clear();
    m_WalkNode = QPersistentModelIndex();
    m_Selecting = true;
    m_Model->SetRoots(RootFolders());
    m_Selecting = false;
    const QString last = m_Profile != nullptr
                             ? PathText(m_Profile->GetString(kLastPathSection, kLastPathValue,
                                                             PathBytes(DefaultLastPath())))
                             : DefaultLastPath();
    if (!SetSelectedPath(last)) {
        emit pathSelected(false);
    }
}

QString CFolderTreeCtrl::GetFullPath(const QModelIndex& index) const {
    return m_Model->FullPath(index);
}

QString CFolderTreeCtrl::SelectedPath() const {
    return m_Model->FullPath(currentIndex());
}

bool CFolderTreeCtrl::SetSelectedPath(const QString& path) {
    QString cleaned = QDir::fromNativeSeparators(path);
    while (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/'))) {
        cleaned.chop(1);
    }
    QString rest;
    const QModelIndex top = m_Model->TopItemFor(cleaned, &rest);
    if (!top.isValid()) {
        return false;
    }
    m_Walk = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    m_WalkNode = top;
    m_WalkOpened.clear();
    WalkStep();
    return true;
}

void CFolderTreeCtrl::WalkStep() {
    const QModelIndex node = m_WalkNode;
    if (!node.isValid()) {
        EndWalk(false);
        return;
    }
    if (m_Walk.isEmpty()) {
        EndWalk(true);
        return;
    }
    // Read the level again: a folder expanded before is collapsed first.
    if (isExpanded(node)) {
        collapse(node);
    } else {
        m_WalkOpened.append(QPersistentModelIndex(node));
    }
    expand(node);  // the reading ends in OnFolderRead
}

void CFolderTreeCtrl::OnFolderRead(const QModelIndex& index) {
    if (!m_WalkNode.isValid() || QModelIndex(m_WalkNode) != index || m_Walk.isEmpty()) {
        return;
    }
    const QString wanted = m_Walk.front();
    QModelIndex exact;
    QModelIndex caseless;
    for (int row = 0; row < m_Model->rowCount(index); ++row) {
        const QModelIndex child = m_Model->index(row, 0, index);
        const QString text = child.data(Qt::DisplayRole).toString();
        if (text == wanted) {
            exact = child;
            break;
        }
        if (!caseless.isValid() && text.compare(wanted, Qt::CaseInsensitive) == 0) {
            caseless = child;
        }
    }
    const QModelIndex found = exact.isValid() ? exact : caseless;
    if (!found.isValid()) {
        EndWalk(false);
        return;
    }
    m_Walk.pop_front();
    m_WalkNode = found;
    WalkStep();
}

void CFolderTreeCtrl::EndWalk(bool found) {
    const QModelIndex node = m_WalkNode;
    m_Walk.clear();
    m_WalkNode = QPersistentModelIndex();
    if (!found) {
        for (auto it = m_WalkOpened.crbegin(); it != m_WalkOpened.crend(); ++it) {
            if (it->isValid()) {
                collapse(*it);
            }
        }
    }
    m_WalkOpened.clear();
    if (found && node.isValid()) {
        setCurrentIndex(node);
        scrollTo(node);
    }
    qCInfo(lcState, "tree: %s", found ? "last folder selected" : "last folder not found");
    emit pathSelected(found);
}

void CFolderTreeCtrl::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    if (m_Selecting || !current.isValid() || m_Model->IsPlaceholder(current)) {
        return;
    }
    const QString path = m_Model->FullPath(current);
    if (m_Profile != nullptr) {
        m_Profile->SetString(kLastPathSection, kLastPathValue, PathBytes(path));
    }
    emit folderSelected(path);
}

void CFolderTreeCtrl::keyReleaseEvent(QKeyEvent* event) {
    QTreeView::keyReleaseEvent(event);
    if (event->key() == Qt::Key_F5 && !event->isAutoRepeat()) {
        Initialise();
    }
}

}  // namespace sonvara
