#include "track/directory.hpp"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fnmatch.h>

std::vector<std::string> listDirectory(const std::string& directory, const std::string& pattern) {
    std::vector<std::string> names;
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (!dir) return names;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        // The search of the old platform never listed these two.
        if (name == "." || name == "..") continue;
        if (fnmatch(pattern.c_str(), name.c_str(), FNM_PERIOD | FNM_CASEFOLD) == 0)
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), listedBefore);
    if (!names.empty()) std::printf("Entries read.\n");
    return names;
}

bool listedBefore(const std::string& a, const std::string& b) {
    // std::string compares its characters as unsigned char: byte order.
    return a < b;
}

std::string stripExtension(const std::string& fileName) {
    return fileName.substr(0, fileName.find('.'));
}
