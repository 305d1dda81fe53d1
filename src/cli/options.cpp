#include "cli/options.h"

#include <charconv>
#include <cstdio>
#include <thread>

namespace sonvara::cli {

bool COptionReader::Next() {
    if (m_Index >= m_Args.size()) {
        return false;
    }
    const std::string& arg = m_Args[m_Index++];
    m_HasAttached = false;
    m_Attached.clear();
    if (!m_OptionsEnded && arg == "--") {
        m_OptionsEnded = true;
        return Next();
    }
    m_IsPath = m_OptionsEnded || arg.size() < 2 || arg[0] != '-';
    m_Name = arg;
    if (m_IsPath) {
        return true;
    }
    if (arg[1] == '-') {
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            m_Name = arg.substr(0, eq);
            m_Attached = arg.substr(eq + 1);
            m_HasAttached = true;
        }
    } else if (arg.size() > 2) {
        m_Name = arg.substr(0, 2);
        m_Attached = arg.substr(2);
        m_HasAttached = true;
    }
    return true;
}

bool COptionReader::Is(const char* shortName, const char* longName) const {
    return (shortName != nullptr && m_Name == shortName) ||
           (longName != nullptr && m_Name == longName);
}

bool COptionReader::TakeValue(std::string& value) {
    if (m_HasAttached) {
        value = m_Attached;
        m_HasAttached = false;
        return true;
    }
    if (m_Index >= m_Args.size()) {
        m_Error = "option '" + m_Name + "' needs a value";
        return false;
    }
    value = m_Args[m_Index++];
    return true;
}

bool COptionReader::TakeCount(unsigned& count) {
    std::string text;
    if (!TakeValue(text)) {
        return false;
    }
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > 1024) {
        m_Error = "option '" + m_Name + "' needs a whole number from 1 to 1024, not '" + text + "'";
        return false;
    }
    count = value;
    return true;
}

unsigned DefaultJobCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

int UsageError(const std::string& message, const std::string& command) {
    std::fprintf(stderr, "sonvara-cli %s: %s\nTry 'sonvara-cli %s --help'.\n", command.c_str(),
                 message.c_str(), command.c_str());
    return 2;
}

}  // namespace sonvara::cli
