#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <memory>

class QFileIconProvider;

namespace sonvara {

// The platform's file and folder icons, asked once per file type (by lower-cased extension)
// and kept; rows never ask the platform themselves. The program object owns one and hands it to
// the models that show icons. Used on the UI thread only.
class CFileIconCache {
public:
    CFileIconCache();
    ~CFileIconCache();
    CFileIconCache(const CFileIconCache&) = delete;
    CFileIconCache& operator=(const CFileIconCache&) = delete;

    QIcon ForFile(const QString& path);
    QIcon Folder();

private:
    std::unique_ptr<QFileIconProvider> m_Provider;
    QHash<QString, QIcon> m_ByType;
    QIcon m_Folder;
    bool m_HaveFolder = false;
};

}  // namespace sonvara
