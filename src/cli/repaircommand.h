#pragma once

#include <string>
#include <vector>

namespace sonvara::cli {

// sonvara-cli repair [-r] [-j N] (--output-dir DIR | --replace [--backup-dir DIR]) [--yes|--no]
// PATH...; returns the exit status.
int RunRepairCommand(const std::vector<std::string>& arguments);
extern const char* const kRepairHelp;

}  // namespace sonvara::cli
