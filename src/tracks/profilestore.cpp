#include "tracks/profilestore.h"

namespace sonvara {

int CMemoryProfileStore::GetInt(const std::string& section, const std::string& name, int fallback) {
    const auto it = m_Ints.find({section, name});
    return it == m_Ints.end() ? fallback : it->second;
}

void CMemoryProfileStore::SetInt(const std::string& section, const std::string& name, int value) {
    m_Ints[{section, name}] = value;
}

std::string CMemoryProfileStore::GetString(const std::string& section, const std::string& name,
                                           const std::string& fallback) {
    const auto it = m_Strings.find({section, name});
    return it == m_Strings.end() ? fallback : it->second;
}

void CMemoryProfileStore::SetString(const std::string& section, const std::string& name,
                                    const std::string& value) {
    m_Strings[{section, name}] = value;
}

std::optional<std::string> CMemoryProfileStore::GetText(const std::string& section,
                                                        const std::string& name) {
    if (const auto it = m_Strings.find({section, name}); it != m_Strings.end()) {
        return it->second;
    }
    if (const auto it = m_Ints.find({section, name}); it != m_Ints.end()) {
        return std::to_string(it->second);
    }
    return std::nullopt;
}

bool CMemoryProfileStore::Has(const std::string& section, const std::string& name) const {
    return m_Ints.count({section, name}) != 0 || m_Strings.count({section, name}) != 0;
}

}  // namespace sonvara
