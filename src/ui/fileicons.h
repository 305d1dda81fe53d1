#pragma once

#include <QHash>
#include <QIcon>
#include <QString>

#include <memory>

class QFileIconProvider;

namespace sonvara {

// The platform's file and folder icons, asked once per file type (by lower-cased extension)
// and kept; rows never ask the platform themselves.
class CFileIconCache {
public:
    static CFileIconCache& Instance();
    ~CFileIconCache();

    QIcon ForFile(const QString& path);
    QIcon Folder();

private:
    CFileIconCache();
    std::unique_ptr<QFileIconProvider> m_Provider;
    QHash<QString, QIcon> m_ByType;
    QIcon m_Folder;
    bool m_HaveFolder = false;
};

}  // namespace sonvara
