#pragma once

#include <string>
#include <vector>

#include "runs/conversionrun.h"

namespace sonvara::cli {

// sonvara-cli mp3-to-wav|wav-to-mp3|mp3-to-mp3 [options] PATH...; returns the exit status.
int RunConversionCommand(ConversionMode mode, const std::string& command,
                         const std::vector<std::string>& arguments);

}  // namespace sonvara::cli
