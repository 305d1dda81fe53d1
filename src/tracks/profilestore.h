#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace sonvara {

// Per-user integer and string values by section and name; a value that is absent reads as
// the caller's default.
class IProfileStore {
public:
    virtual ~IProfileStore() = default;
    virtual int GetInt(const std::string& section, const std::string& name, int fallback) = 0;
    virtual void SetInt(const std::string& section, const std::string& name, int value) = 0;
    virtual std::string GetString(const std::string& section, const std::string& name,
                                  const std::string& fallback) = 0;
    virtual void SetString(const std::string& section, const std::string& name,
                           const std::string& value) = 0;
    // The value as it is stored, whatever its type; absent: nothing.
    virtual std::optional<std::string> GetText(const std::string& section,
                                               const std::string& name) = 0;
    // Called once, with the reason, when a written value cannot reach the store (a read-only
    // folder or file system); later failures are not said again.
    virtual void SetWriteFailureHandler(std::function<void(const std::string&)> handler) {
        (void)handler;
    }
};

// A profile that lives only in memory (tests, and runs that must not touch the user's).
class CMemoryProfileStore : public IProfileStore {
public:
    int GetInt(const std::string& section, const std::string& name, int fallback) override;
    void SetInt(const std::string& section, const std::string& name, int value) override;
    std::string GetString(const std::string& section, const std::string& name,
                          const std::string& fallback) override;
    void SetString(const std::string& section, const std::string& name,
                   const std::string& value) override;
    std::optional<std::string> GetText(const std::string& section,
                                       const std::string& name) override;
    bool Has(const std::string& section, const std::string& name) const;

private:
    std::map<std::pair<std::string, std::string>, int> m_Ints;
    std::map<std::pair<std::string, std::string>, std::string> m_Strings;
};

}  // namespace sonvara
