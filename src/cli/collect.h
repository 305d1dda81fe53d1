#pragma once

#include <string>
#include <vector>

namespace sonvara::cli {

// One path to work on, or one that could not be taken (error says why).
struct CollectedPath {
    std::string path;
    std::string error;
};

// Gathers the files named by the arguments: a file is taken as it is (or reported when its
// upper-cased extension is not the one wanted; several are separated by '|', ".MP3|.WAV"), a folder
// contributes the files in it with that extension (and those of its sub-folders with recursive;
// links to folders are not followed). The result is sorted by path. A file named more than once
// (m1/a.mp3, ./m1/a.mp3, its full path, or through a link to its folder) is taken once, under the
// spelling met first; each later spelling is added to `duplicates` (when given) as a warning. A
// folder that cannot be read and a path longer than the system allows are errors of their own.
std::vector<CollectedPath> CollectPaths(const std::vector<std::string>& arguments,
                                        const std::string& upperExtension, bool recursive,
                                        std::vector<std::string>* duplicates = nullptr);

}  // namespace sonvara::cli
