#pragma once

#include <vector>

#include "jobs/strings.h"

namespace sonvara {

// The core's string table as the translation tools see it.
struct CoreString {
    StringId id;
    const char* english;
    const char* comment;  // the translation's disambiguation
};
std::vector<CoreString> CoreStrings();
const char* CoreStringComment(StringId id);

// The window's lookup of the core's texts: QCoreApplication::translate in the context
// "CoreStrings", so the texts follow the translation the program loaded.
StringLookup CoreStringLookup();

}  // namespace sonvara
