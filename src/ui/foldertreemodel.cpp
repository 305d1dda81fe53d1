#include "ui/foldertreemodel.h"

#include <QCollator>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <filesystem>

#include "ui/fileicons.h"
#include "ui/pathtext.h"
#include "ui/runservice.h"
#include "ui/sortabletablemodel.h"
#include "ui/statelog.h"

namespace sonvara {

struct CFolderTreeModel::Node {
    quint64 id = 0;
    QString text;  // a top item: its whole path; below: the folder's own name
    Node* parent = nullptr;
    int row = 0;
    bool placeholder = false;
    quint64 generation = 0;  // a reading started before the last change is dropped
    bool reading = false;
    std::vector<std::unique_ptr<Node>> children;
};

CFolderTreeModel::CFolderTreeModel(CRunService& runs, CFileIconCache& icons, QObject* parent)
    : QAbstractItemModel(parent), m_Root(std::make_unique<Node>()), m_Runs(runs), m_Icons(icons) {}

CFolderTreeModel::~CFolderTreeModel() = default;

std::unique_ptr<CFolderTreeModel::Node> CFolderTreeModel::MakeNode(const QString& text,
                                                                   Node* parent, bool placeholder) {
    auto node = std::make_unique<Node>();
    node->id = m_NextId++;
    node->text = text;
    node->parent = parent;
    node->placeholder = placeholder;
    m_Live.insert(node->id, node.get());
    return node;
}

void CFolderTreeModel::Forget(Node* node) {
    for (auto& child : node->children) {
        Forget(child.get());
    }
    m_Live.remove(node->id);
}

CFolderTreeModel::Node* CFolderTreeModel::NodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_Root.get();
}

QModelIndex CFolderTreeModel::IndexOf(const Node* node) const {
    if (node == nullptr || node == m_Root.get()) {
        return {};
    }
    return createIndex(node->row, 0, const_cast<Node*>(node));
}

QModelIndex CFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
    const Node* node = NodeOf(parent);
    if (column != 0 || row < 0 || row >= static_cast<int>(node->children.size())) {
        return {};
    }
    return createIndex(row, 0, node->children[static_cast<std::size_t>(row)].get());
}

QModelIndex CFolderTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    return IndexOf(NodeOf(child)->parent);
}

int CFolderTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(NodeOf(parent)->children.size());
}

int CFolderTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool CFolderTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant CFolderTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const Node* node = NodeOf(index);
    switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return node->placeholder && node->parent != nullptr && node->parent->reading
                       ? tr("Reading…")
                       : ShownPath(node->text);
        case Qt::DecorationRole: return node->placeholder ? QVariant() : QVariant(m_Icons.Folder());
        case Qt::ToolTipRole:
            return node->placeholder ? QVariant() : QVariant(ShownPath(FullPath(index)));
        default: return {};
    }
}

Qt::ItemFlags CFolderTreeModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    if (NodeOf(index)->placeholder) {
        return Qt::ItemIsEnabled;
    }
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList CFolderTreeModel::mimeTypes() const {
    return {QStringLiteral("text/uri-list")};
}

QMimeData* CFolderTreeModel::mimeData(const QModelIndexList& indexes) const {
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && !NodeOf(index)->placeholder) {
            urls.append(PathUrl(FullPath(index)));
        }
    }
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return mime;
}

void CFolderTreeModel::SetRoots(const QStringList& roots) {
    beginResetModel();
    Forget(m_Root.get());
    m_Root = std::make_unique<Node>();
    for (const QString& root : roots) {
        auto node = MakeNode(root, m_Root.get(), false);
        node->row = static_cast<int>(m_Root->children.size());
        // Roots always offer to expand: asking a slow mount for content would block.
        auto placeholder = MakeNode(QString(), node.get(), true);
        node->children.push_back(std::move(placeholder));
        m_Root->children.push_back(std::move(node));
    }
    endResetModel();
}

bool CFolderTreeModel::IsPlaceholder(const QModelIndex& index) const {
    return index.isValid() && NodeOf(index)->placeholder;
}

bool CFolderTreeModel::IsReading(const QModelIndex& index) const {
    return index.isValid() && NodeOf(index)->reading;
}

QString CFolderTreeModel::FullPath(const QModelIndex& index) const {
    const Node* node = NodeOf(index);
    if (node == m_Root.get() || node->placeholder) {
        return {};
    }
    QStringList parts;
    for (; node->parent != nullptr && node->parent != m_Root.get(); node = node->parent) {
        parts.prepend(node->text);
    }
    QString path = node->text;  // the top item's whole path
    for (const QString& part : parts) {
        if (!path.endsWith(QLatin1Char('/'))) {
            path += QLatin1Char('/');
        }
        path += part;
    }
    return path;
}

QModelIndex CFolderTreeModel::TopItemFor(const QString& path, QString* rest) const {
    // The top item whose path starts the given one (letter case aside) at a folder boundary;
    // the longest such, so that a folder under the home folder is found there.
    const Node* best = nullptr;
    QString bestRest;
    for (const auto& top : m_Root->children) {
        QString prefix = top->text;
        if (prefix.size() > 1 && prefix.endsWith(QLatin1Char('/'))) {
            prefix.chop(1);
        }
        if (!path.startsWith(prefix, Qt::CaseInsensitive)) {
            continue;
        }
        const QString remainder = path.mid(prefix.size());
        if (!remainder.isEmpty() && !remainder.startsWith(QLatin1Char('/')) &&
            !prefix.endsWith(QLatin1Char('/'))) {
            continue;  // "/mnt/usb" does not start "/mnt/usb2"
        }
        if (best == nullptr || prefix.size() > best->text.size()) {
            best = top.get();
            bestRest = remainder;
        }
    }
    if (rest != nullptr) {
        *rest = bestRest;
    }
    return IndexOf(best);
}

bool CFolderTreeModel::HasContent(const QString& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(PathBytes(path), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename().native().front() != '.') {
            return true;  // a visible folder or file
        }
    }
    return false;
}

std::vector<CFolderTreeModel::Entry> CFolderTreeModel::ListFolder(const QString& path) {
    namespace fs = std::filesystem;
    // Listed as bytes: a folder whose name is not UTF-8 is shown and can be opened.
    std::vector<Entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(PathBytes(path), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (it->path().filename().native().front() != '.' &&
            it->is_directory(kind)) {  // not hidden
            entries.push_back({PathText(it->path().filename().native()),
                               HasContent(PathText(it->path().native()))});
        }
    }
    const QCollator collator = CSortableTableModel::TextCollator();
    std::stable_sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) {
        return collator.compare(a.name, b.name) < 0;
    });
    return entries;
}

void CFolderTreeModel::ReplaceChildren(Node* node, std::vector<std::unique_ptr<Node>> children) {
    const QModelIndex parentIndex = IndexOf(node);
    if (!node->children.empty()) {
        beginRemoveRows(parentIndex, 0, static_cast<int>(node->children.size()) - 1);
        for (auto& child : node->children) {
            Forget(child.get());
        }
        node->children.clear();
        endRemoveRows();
    }
    if (!children.empty()) {
        beginInsertRows(parentIndex, 0, static_cast<int>(children.size()) - 1);
        for (std::size_t i = 0; i < children.size(); ++i) {
            children[i]->row = static_cast<int>(i);
        }
        node->children = std::move(children);
        endInsertRows();
    }
}

void CFolderTreeModel::ReadFolder(const QModelIndex& index) {
    Node* node = NodeOf(index);
    if (!index.isValid() || node->placeholder) {
        return;
    }
    const quint64 generation = ++node->generation;
    node->reading = true;
    if (!node->children.empty()) {
        const QModelIndex first = this->index(0, 0, index);
        emit dataChanged(first, first);  // the placeholder says "Reading…"
    }
    const quint64 id = node->id;
    const QString path = FullPath(index);
    m_Runs.Run<std::vector<Entry>>(
        this, [path] { return ListFolder(path); },
        [this, id, generation](std::vector<Entry> entries) {
            Node* target = m_Live.value(id, nullptr);
            if (target == nullptr || target->generation != generation) {
                return;  // collapsed, re-read or gone meanwhile
            }
            target->reading = false;
            std::vector<std::unique_ptr<Node>> children;
            for (const Entry& entry : entries) {
                auto child = MakeNode(entry.name, target, false);
                if (entry.hasContent) {
                    child->children.push_back(MakeNode(QString(), child.get(), true));
                }
                children.push_back(std::move(child));
            }
            const auto count = entries.size();
            ReplaceChildren(target, std::move(children));
            qCInfo(lcState, "tree: folder read: %d folders", static_cast<int>(count));
            emit folderRead(IndexOf(target));
        },
        [this, id, generation](const QString& error) {
            // The listing failed (out of memory): the folder no longer says it is being read,
            // and collapsing and expanding it reads it again.
            Node* target = m_Live.value(id, nullptr);
            if (target == nullptr || target->generation != generation) {
                return;
            }
            target->reading = false;
            ++target->generation;
            if (!target->children.empty()) {
                const QModelIndex first = this->index(0, 0, IndexOf(target));
                emit dataChanged(first, first);
            }
            qCWarning(lcState).noquote() << "tree: folder not read:" << error;
        });
}

void CFolderTreeModel::ResetChildren(const QModelIndex& index) {
    Node* node = NodeOf(index);
    if (!index.isValid() || node->placeholder) {
        return;
    }
    ++node->generation;
    node->reading = false;
    std::vector<std::unique_ptr<Node>> children;
    children.push_back(MakeNode(QString(), node, true));
    ReplaceChildren(node, std::move(children));
}

}  // namespace sonvara
