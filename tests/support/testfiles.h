#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonvara::test {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_Path; }
    std::string File(const std::string& name) const { return m_Path + "/" + name; }

private:
    std::string m_Path;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
// The whole file as text; empty when it cannot be read.
std::string ReadText(const std::string& path);
void Append(Bytes& to, const Bytes& more);

struct CommandResult {
    int exitCode = -1;
    std::string out;  // standard output
    std::string err;  // standard error
};

// Runs a shell command line and captures both output streams.
CommandResult RunCommand(const std::string& commandLine);

// Single-quotes a text for the shell.
std::string ShellQuote(const std::string& text);

// True when the program can be found on PATH.
bool HaveTool(const std::string& name);

}  // namespace sonvara::test
