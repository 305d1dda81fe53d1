#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>

namespace sonvara {

// The optional language file "lang.qm": looked up beside the program, then in the installed
// data folder. When one loads, it translates every text of the window and of the core (the
// program's table of the core's texts looks them up through it), and Qt's own texts (buttons of
// message boxes, file dialogs) follow in the same language when Qt's translations are installed. No
// file, or an unreadable one: English, and nothing is reported.
class CLanguage {
public:
    static constexpr const char* kFileName = "lang.qm";

    CLanguage() = default;
    ~CLanguage();
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    // The folders searched, in order.
    static QStringList SearchFolders(const QString& programDir, const QString& dataDir);

    // Loads and installs the first "lang.qm" found; true when one was loaded.
    bool Load(const QStringList& folders);
    // Removes the translators again.
    void Unload();

    bool IsLoaded() const { return m_Loaded; }
    QString File() const { return m_File; }
    QString Language() const { return m_Own.language(); }
    bool QtTranslationsLoaded() const { return m_QtLoaded; }

private:
    QTranslator m_Own;
    QTranslator m_Qt;
    bool m_Loaded = false;
    bool m_QtLoaded = false;
    QString m_File;
};

}  // namespace sonvara
