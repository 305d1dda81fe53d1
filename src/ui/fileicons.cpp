#include "ui/fileicons.h"

#include <QFileIconProvider>
#include <QFileInfo>

namespace sonvara {

CFileIconCache::CFileIconCache() : m_Provider(std::make_unique<QFileIconProvider>()) {
    // Icons by type only: no per-file content sniffing.
    m_Provider->setOptions(QFileIconProvider::DontUseCustomDirectoryIcons);
}

CFileIconCache::~CFileIconCache() = default;

QIcon CFileIconCache::ForFile(const QString& path) {
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString type = dot > slash ? path.mid(dot + 1).toLower() : QString();
    auto it = m_ByType.constFind(type);
    if (it != m_ByType.constEnd()) {
        return *it;
    }
    QIcon icon = m_Provider->icon(QFileInfo(path));
    if (icon.isNull()) {
        icon = m_Provider->icon(QFileIconProvider::File);
    }
    m_ByType.insert(type, icon);
    return icon;
}

QIcon CFileIconCache::Folder() {
    if (!m_HaveFolder) {
        m_Folder = m_Provider->icon(QFileIconProvider::Folder);
        m_HaveFolder = true;
    }
    return m_Folder;
}

}  // namespace sonvara
