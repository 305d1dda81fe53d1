#include "profile/qtprofilestore.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <cstdlib>

#include "platform/text.h"

namespace sonvara {

namespace {
QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section + "/" + name);
}
}  // namespace

CQtProfileStore::CQtProfileStore()
    : m_Settings(std::make_unique<QSettings>("VELMORA", "Velmora Sonvara 2.0")) {}

CQtProfileStore::CQtProfileStore(const std::string& iniFile)
    : m_Settings(
          std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat)) {}

CQtProfileStore::~CQtProfileStore() = default;

std::unique_ptr<CQtProfileStore> CQtProfileStore::ForPrograms() {
    if (const char* file = std::getenv("SONVARA_CONFIG"); file != nullptr && *file != '\0') {
        return std::make_unique<CQtProfileStore>(file);
    }
    return std::make_unique<CQtProfileStore>();
}

int CQtProfileStore::GetInt(const std::string& section, const std::string& name, int fallback) {
    bool ok = false;
    const int value = m_Settings->value(Key(section, name), fallback).toInt(&ok);
    return ok ? value : fallback;
}

void CQtProfileStore::SetInt(const std::string& section, const std::string& name, int value) {
    m_Settings->setValue(Key(section, name), value);
    Sync();
}

void CQtProfileStore::Sync() {
    m_Settings->sync();
    if (m_Settings->status() == QSettings::NoError || m_WriteFailureSaid) {
        return;
    }
    m_WriteFailure =
        QFile::encodeName(m_Settings->fileName()).toStdString() + ": " +
        (m_Settings->status() == QSettings::AccessError ? "the file or its folder cannot be written"
                                                        : "the file cannot be read as settings");
    if (m_OnWriteFailure) {
        m_WriteFailureSaid = true;
        m_OnWriteFailure(m_WriteFailure);
    }
}

void CQtProfileStore::SetWriteFailureHandler(std::function<void(const std::string&)> handler) {
    m_OnWriteFailure = std::move(handler);
    // A failure before there was anyone to tell is told now.
    if (m_OnWriteFailure && !m_WriteFailure.empty() && !m_WriteFailureSaid) {
        m_WriteFailureSaid = true;
        m_OnWriteFailure(m_WriteFailure);
    }
}

std::optional<std::string> CQtProfileStore::GetText(const std::string& section,
                                                    const std::string& name) {
    const QVariant value = m_Settings->value(Key(section, name));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

std::string CQtProfileStore::GetString(const std::string& section, const std::string& name,
                                       const std::string& fallback) {
    const QVariant value = m_Settings->value(Key(section, name));
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();  // bytes that are not UTF-8 (a path)
    }
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void CQtProfileStore::SetString(const std::string& section, const std::string& name,
                                const std::string& value) {
    // A path that is not UTF-8 is kept as its bytes (written as @ByteArray(...)), never turned
    // into replacement characters.
    if (IsValidUtf8(value)) {
        m_Settings->setValue(Key(section, name), QString::fromStdString(value));
    } else {
        m_Settings->setValue(Key(section, name),
                             QByteArray(value.data(), static_cast<qsizetype>(value.size())));
    }
    Sync();
}

}  // namespace sonvara
