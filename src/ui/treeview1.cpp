#include "ui/treeview1.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QStorageInfo>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/paths.h"
#include "tracks/profilestore.h"
#include "ui/commandids.h"
#include "ui/commandrouter.h"
#include "ui/folderfiles.h"
#include "ui/foldertreemodel.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sonvaradoc.h"
#include "ui/statelog.h"

namespace sonvara {

namespace {
constexpr const char* kLastPathSection = "LastPath";
constexpr const char* kLastPathValue = "Path";
}  // namespace

CCaptionLabel::CCaptionLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setForegroundRole(QPalette::ButtonText);
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    setFixedHeight(17);
    setAccessibleName(text.trimmed());
}

CFolderTreeCtrl::CFolderTreeCtrl(IProfileStore* profile, CRunService& runs, QWidget* parent)
    : QTreeView(parent), m_Profile(profile) {
    setObjectName("FolderTree");
    setAccessibleName(tr("Folders"));
    m_Model = new CFolderTreeModel(runs, this);
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

CTreeView1::CTreeView1(CSonvaraDoc& doc, IProfileStore* profile, QWidget* parent)
    : QWidget(parent), m_Doc(doc) {
    setObjectName("TreeView1");
    setAccessibleName(tr("Folder tree"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_Caption = new CCaptionLabel(tr(" Drives"), this);
    m_Tree = new CFolderTreeCtrl(profile, doc.Runs(), this);
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
