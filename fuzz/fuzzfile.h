#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

// The readers under test open paths, so each input is written to one file per process.
inline const std::string& FuzzPath(const char* extension) {
    static const std::string path = [extension] {
        const char* dir = std::getenv("TMPDIR");
        return std::string(dir != nullptr ? dir : "/tmp") + "/sonvara-fuzz-" +
               std::to_string(::getpid()) + extension;
    }();
    return path;
}

inline const std::string& WriteFuzzFile(const char* extension, const std::uint8_t* data,
                                        std::size_t size) {
    const std::string& path = FuzzPath(extension);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    return path;
}
