#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sonavel::test {

// A fresh folder that is removed, with everything in it, when the object goes.
class TTempFolder {
  public:
    TTempFolder();
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    // The folder, with a trailing '/'.
    const std::string& Path() const { return Path_; }
    std::string File(const std::string& name) const { return Path_ + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

  private:
    std::string Path_;
};

// A test whose channel files go to a folder of its own, so tests never see each other's
// files and file names are predictable.
class TStreamTest : public ::testing::Test {
  protected:
    TStreamTest();
    ~TStreamTest() override;

    TTempFolder Temp;
    // The channel files of the program (in its own folder inside Temp), sorted.
    std::vector<std::string> ChannelFiles() const;
    std::string ChannelFile(const std::string& name) const;

  private:
    std::string SavedTempPath_;
};

}  // namespace sonavel::test
