#pragma once

#include <string>
#include <vector>

namespace sonvara::cli {

// sonvara-cli analyze [-r] [-j N] [PATH...]; returns the exit status.
int RunAnalyze(const std::vector<std::string>& arguments);
extern const char* const kAnalyzeHelp;

}  // namespace sonvara::cli
