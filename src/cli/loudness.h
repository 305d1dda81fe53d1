#pragma once

#include <string>
#include <vector>

namespace sonvara::cli {

// sonvara-cli loudness [-r] [-j N] [--album] [--write-tags] [--json] PATH...; returns the exit
// status.
int RunLoudnessCommand(const std::vector<std::string>& arguments);
extern const char* const kLoudnessHelp;

// A text as a JSON string (quotes included): bytes that are not UTF-8 become \udc80..\udcff,
// as Python's "surrogateescape" reads them back to the same bytes.
std::string JsonString(const std::string& bytes);

}  // namespace sonvara::cli
