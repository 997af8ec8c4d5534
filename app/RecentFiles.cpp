#include "app/RecentFiles.h"

#include <algorithm>

namespace sonavel {

TRecentFiles::TRecentFiles(const std::vector<std::string>& stored) {
    // The oldest first, so that each Add puts the newer one in front of it (and a repeat
    // ends up where it was newest).
    for (auto it = stored.rbegin(); it != stored.rend(); ++it) {
        Add(*it);
    }
}

void TRecentFiles::Add(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::erase(Items_, path);
    Items_.insert(Items_.begin(), path);
    if (Items_.size() > MaxCount) {
        Items_.resize(MaxCount);
    }
}

void TRecentFiles::Remove(const std::string& path) {
    std::erase(Items_, path);
}

std::vector<std::string> TRecentFiles::RemoveMissing(
    const std::function<bool(const std::string&)>& exists) {
    std::vector<std::string> missing;
    std::erase_if(Items_, [&](const std::string& path) {
        if (exists(path)) {
            return false;
        }
        missing.push_back(path);
        return true;
    });
    return missing;
}

std::string RecentFileText(std::size_t index, const std::string& path) {
    return "&" + std::to_string(index + 1) + " " + path;
}

}  // namespace sonavel
