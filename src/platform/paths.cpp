#include "platform/paths.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace sonvara {

bool IsPathSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

char PreferredSeparator() {
#ifdef _WIN32
    return '\\';
#else
    return '/';
#endif
}

std::size_t LastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsPathSeparator(path[i - 1])) {
            return i - 1;
        }
    }
    return std::string_view::npos;
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string_view DirectoryPart(std::string_view path) {
    const std::size_t sep = LastSeparator(path);
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep + 1);
}

std::string_view Extension(std::string_view path) {
    const std::string_view name = FileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string UpperExtension(std::string_view path) {
    return UpperAscii(Extension(path));
}

std::size_t Utf8CutLength(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) {
        return text.size();
    }
    std::size_t cut = maxBytes;
    // Step back over continuation bytes so the cut falls before a lead byte.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

std::string HomeFolder() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    if (home != nullptr && *home != '\0') {
        return home;
    }
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

namespace {

// XDG_MUSIC_DIR from the environment or from ~/.config/user-dirs.dirs, "$HOME" expanded.
std::string XdgMusicDir(const std::string& home) {
    auto expand = [&home](std::string value) {
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0) {
            value = home + value.substr(5);
        }
        return value;
    };
    if (const char* env = std::getenv("XDG_MUSIC_DIR"); env != nullptr && *env != '\0') {
        return expand(env);
    }
    std::string configHome = home + "/.config";
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        configHome = xdg;
    }
    std::ifstream dirs(configHome + "/user-dirs.dirs");
    std::string line;
    const std::string key = "XDG_MUSIC_DIR=";
    while (std::getline(dirs, line)) {
        if (line.rfind(key, 0) == 0) {
            return expand(line.substr(key.size()));
        }
    }
    return {};
}

}  // namespace

std::string MusicFolder() {
    const std::string home = HomeFolder();
    std::error_code ec;
#ifndef _WIN32
    if (std::string xdg = XdgMusicDir(home);
        !xdg.empty() && std::filesystem::is_directory(xdg, ec)) {
        return xdg;
    }
#endif
    const std::filesystem::path music = std::filesystem::path(home) / "Music";
    if (std::filesystem::is_directory(music, ec)) {
        return music.string();
    }
    return home;
}

}  // namespace sonvara
