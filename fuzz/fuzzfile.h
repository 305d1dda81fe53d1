#pragma once

#include <cstdint>
#include <string>

#include "platform/memoryfile.h"

// The readers under test open paths: each input becomes the content of one file per process
// that lives in memory (platform/memoryfile.h), so that no input goes through a disk.
inline const std::string& WriteFuzzFile(const char* extension, const std::uint8_t* data,
                                        std::size_t size) {
    static sonvara::CMemoryFile file;
    static const bool created = file.Create("sonvara-fuzz", extension);
    if (!created || !file.Assign(data, size)) {
        __builtin_trap();
    }
    return file.Path();
}
