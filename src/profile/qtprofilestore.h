#pragma once

#include <memory>
#include <string>

#include "tracks/profilestore.h"

class QSettings;

namespace sonvara {

// The programs' profile: QSettings with organisation "VELMORA" and application
// "Velmora Sonvara 2.0" (the registry on Windows, ~/.config on Linux), or the INI file that
// SONVARA_CONFIG names.
class CQtProfileStore : public IProfileStore {
public:
    CQtProfileStore();
    explicit CQtProfileStore(const std::string& iniFile);
    ~CQtProfileStore() override;

    int GetInt(const std::string& section, const std::string& name, int fallback) override;
    void SetInt(const std::string& section, const std::string& name, int value) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& fallback) override;
    void SetString(const std::string& section, const std::string& name,
                   const std::string& value) override;
    std::optional<std::string> GetText(const std::string& section,
                                       const std::string& name) override;
    void SetWriteFailureHandler(std::function<void(const std::string&)> handler) override;

    // The store the programs use: SONVARA_CONFIG when set, else the user's profile.
    static std::unique_ptr<CQtProfileStore> ForPrograms();

private:
    void Sync();

    std::unique_ptr<QSettings> m_Settings;
    std::function<void(const std::string&)> m_OnWriteFailure;
    std::string m_WriteFailure;  // the first one, until it is said
    bool m_WriteFailureSaid = false;
};

}  // namespace sonvara
