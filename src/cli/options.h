#pragma once

#include <string>
#include <vector>

namespace sonvara::cli {

// Walks command-line arguments: options ("-j 4", "-j4", "--jobs 4", "--jobs=4") and paths
// ("--" ends the options; "-" alone is a path).
class COptionReader {
public:
    explicit COptionReader(const std::vector<std::string>& arguments) : m_Args(arguments) {}

    bool Next();
    bool IsPath() const { return m_IsPath; }
    // The current argument (an option without its attached value).
    const std::string& Current() const { return m_Name; }
    bool Is(const char* shortName, const char* longName) const;
    // Takes the option's value: attached, or the next argument. False when there is none.
    bool TakeValue(std::string& value);
    // A whole number from 1 to 1024.
    bool TakeCount(unsigned& count);
    const std::string& Error() const { return m_Error; }

private:
    const std::vector<std::string>& m_Args;
    std::size_t m_Index = 0;
    bool m_OptionsEnded = false;
    bool m_IsPath = false;
    std::string m_Name;
    std::string m_Attached;
    bool m_HasAttached = false;
    std::string m_Error;
};

unsigned DefaultJobCount();

// Prints "sonvara-cli COMMAND: message" and a hint to standard error; returns 2.
int UsageError(const std::string& message, const std::string& command);

}  // namespace sonvara::cli
