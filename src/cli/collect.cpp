#include "cli/collect.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "platform/paths.h"

namespace sonvara::cli {

namespace fs = std::filesystem;

namespace {

std::string ErrorMessage(const std::error_code& ec) {
    return std::error_code(ec.value(), std::generic_category()).message();
}

// upperExtension is one (".MP3") or several separated by '|' (".MP3|.WAV").
bool ExtensionWanted(const std::string& path, const std::string& upperExtension) {
    const std::string extension = UpperExtension(path);
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = upperExtension.find('|', start);
        if (upperExtension.compare(start,
                                   bar == std::string::npos ? std::string::npos : bar - start,
                                   extension) == 0) {
            return true;
        }
        if (bar == std::string::npos) {
            return false;
        }
        start = bar + 1;
    }
}

void WalkFolder(const fs::path& folder, const std::string& upperExtension, bool recursive,
                std::vector<CollectedPath>& out) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        out.push_back({folder.string(), "cannot read folder: " + ErrorMessage(ec)});
        return;
    }
    std::vector<fs::path> subfolders;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            out.push_back({folder.string(), "cannot read folder: " + ErrorMessage(ec)});
            return;
        }
        std::error_code typeEc;
        const fs::file_status own = it->symlink_status(typeEc);
        if (typeEc) {
            // A name that cannot even be looked at (too long for the system, for one) is
            // reported, not passed over.
            out.push_back({it->path().string(), "cannot read: " + ErrorMessage(typeEc)});
            continue;
        }
        if (fs::is_directory(own)) {
            if (recursive) {
                subfolders.push_back(it->path());
            }
            continue;
        }
        // Links to folders are neither walked nor taken as files.
        if (fs::is_symlink(own) && fs::is_directory(it->status(typeEc))) {
            continue;
        }
        const std::string path = it->path().string();
        if (ExtensionWanted(path, upperExtension)) {
            out.push_back({path, {}});
        }
    }
    for (const fs::path& sub : subfolders) {
        WalkFolder(sub, upperExtension, recursive, out);
    }
}

}  // namespace

namespace {

// One name per file: the folder as the file system resolves it (".", "..", links) and the
// file's own name (a link to a file stays a file of its own).
std::string Identity(const std::string& path) {
    std::error_code ec;
    const fs::path p(path);
    fs::path folder = p.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const fs::path resolved = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (ec) {
        return path;
    }
    return (resolved / p.filename()).string();
}

}  // namespace

std::vector<CollectedPath> CollectPaths(const std::vector<std::string>& arguments,
                                        const std::string& upperExtension, bool recursive,
                                        std::vector<std::string>* duplicates) {
    std::vector<CollectedPath> found;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        const fs::file_status status = fs::status(argument, ec);
        if (fs::is_directory(status)) {
            WalkFolder(argument, upperExtension, recursive, found);
        } else if (ec && ec != std::errc::no_such_file_or_directory) {
            found.push_back({argument, "cannot read: " + ErrorMessage(ec)});
        } else if (!fs::exists(status) && !fs::is_symlink(fs::symlink_status(argument, ec))) {
            found.push_back({argument, "no such file or folder"});
        } else if (!ExtensionWanted(argument, upperExtension)) {
            std::string wanted = upperExtension;
            for (std::size_t bar = wanted.find('|'); bar != std::string::npos;
                 bar = wanted.find('|')) {
                wanted.replace(bar, 1, " or ");
            }
            found.push_back({argument, "extension is not " + wanted});
        } else {
            found.push_back({argument, {}});
        }
    }
    // The same file under several spellings: the first one met stays.
    std::vector<CollectedPath> out;
    out.reserve(found.size());
    std::unordered_map<std::string, std::string> seen;
    for (CollectedPath& item : found) {
        const auto [it, fresh] = seen.emplace(Identity(item.path), item.path);
        if (fresh) {
            out.push_back(std::move(item));
        } else if (duplicates != nullptr && it->second != item.path) {
            duplicates->push_back(item.path + " is " + it->second + " named again; taken once");
        }
    }
    std::sort(out.begin(), out.end(), [](const CollectedPath& a, const CollectedPath& b) {
        return a.path != b.path ? a.path < b.path : a.error < b.error;
    });
    return out;
}

}  // namespace sonvara::cli
