#include "support/TempFolder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "core/TempPath.h"

namespace sonavel::test {

TTempFolder::TTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sonavel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    Path_ = pattern + "/";
}

TTempFolder::~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path_, ignored);
}

std::vector<std::string> TTempFolder::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path_)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TStreamTest::TStreamTest() : SavedTempPath_(TempPath()) {
    SetTempPath(Temp.Path());
}

TStreamTest::~TStreamTest() {
    SetTempPath(SavedTempPath_);
}

std::vector<std::string> TStreamTest::ChannelFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(ChannelFolder())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string TStreamTest::ChannelFile(const std::string& name) const {
    return ChannelFolder() + name;
}

}  // namespace sonavel::test
