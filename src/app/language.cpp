#include "app/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>

namespace sonvara {

CLanguage::~CLanguage() {
    Unload();
}

QStringList CLanguage::SearchFolders(const QString& programDir, const QString& dataDir) {
    QStringList folders;
    if (!programDir.isEmpty()) {
        folders << programDir;
    }
    if (!dataDir.isEmpty()) {
        folders << dataDir;
    }
    return folders;
}

bool CLanguage::Load(const QStringList& folders) {
    Unload();
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(kFileName));
        if (!QFileInfo(path).isFile()) {
            continue;
        }
        if (!m_Own.load(path)) {
            continue;  // unreadable or not a translation: the next folder, else English
        }
        m_File = path;
        m_Loaded = true;
        QCoreApplication::installTranslator(&m_Own);
        // Qt's own texts in the same language (qt6-translations-l10n).
        const QString language = m_Own.language();
        if (!language.isEmpty() &&
            m_Qt.load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            m_QtLoaded = true;
            QCoreApplication::installTranslator(&m_Qt);
        }
        return true;
    }
    return false;
}

void CLanguage::Unload() {
    if (m_Loaded) {
        QCoreApplication::removeTranslator(&m_Own);
        m_Loaded = false;
        m_File.clear();
    }
    if (m_QtLoaded) {
        QCoreApplication::removeTranslator(&m_Qt);
        m_QtLoaded = false;
    }
}

}  // namespace sonvara
