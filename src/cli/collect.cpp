#include "cli/collect.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace sonvara::cli {

namespace fs = std::filesystem;

namespace {

std::string ErrorMessage(const std::error_code& ec) {
    return std::error_code(ec.value(), std::generic_category()).message();
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
        if (UpperExtension(path) == upperExtension) {
            out.push_back({path, {}});
        }
    }
    for (const fs::path& sub : subfolders) {
        WalkFolder(sub, upperExtension, recursive, out);
    }
}

}  // namespace

std::vector<CollectedPath> CollectPaths(const std::vector<std::string>& arguments,
                                        const std::string& upperExtension, bool recursive) {
    std::vector<CollectedPath> out;
    for (const std::string& argument : arguments) {
        std::error_code ec;
        const fs::file_status status = fs::status(argument, ec);
        if (fs::is_directory(status)) {
            WalkFolder(argument, upperExtension, recursive, out);
        } else if (!fs::exists(status) && !fs::is_symlink(fs::symlink_status(argument, ec))) {
            out.push_back({argument, "no such file or folder"});
        } else if (UpperExtension(argument) != upperExtension) {
            out.push_back({argument, "extension is not " + upperExtension});
        } else {
            out.push_back({argument, {}});
        }
    }
    std::sort(out.begin(), out.end(), [](const CollectedPath& a, const CollectedPath& b) {
        return a.path != b.path ? a.path < b.path : a.error < b.error;
    });
    out.erase(std::unique(out.begin(), out.end(),
                          [](const CollectedPath& a, const CollectedPath& b) {
                              return a.path == b.path;
                          }),
              out.end());
    return out;
}

}  // namespace sonvara::cli
