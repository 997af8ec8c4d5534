#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace sonavel {

// The files last opened or saved, the newest first, each once, at most MaxCount.
class TRecentFiles {
  public:
    static constexpr std::size_t MaxCount = 8;

    TRecentFiles() = default;
    // Takes a stored list as it is, apart from empty names, repeats and the excess.
    explicit TRecentFiles(const std::vector<std::string>& stored);

    // The file goes to the front (from wherever it was).
    void Add(const std::string& path);
    void Remove(const std::string& path);
    // Removes the files for which exists says no; returns them.
    std::vector<std::string> RemoveMissing(const std::function<bool(const std::string&)>& exists);

    const std::vector<std::string>& Items() const { return Items_; }

  private:
    std::vector<std::string> Items_;
};

// The text of a menu item for the file at index (0-based): "&1 path".
std::string RecentFileText(std::size_t index, const std::string& path);

}  // namespace sonavel
