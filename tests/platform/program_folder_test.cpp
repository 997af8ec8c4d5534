#include "platform/ProgramFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/TempFolder.h"

namespace sonavel {
namespace {

namespace fs = std::filesystem;

TEST(ProgramFolder, DeadProgramsFoldersGoWithTheirPartialOutputsLiveOnesStay) {
    test::TTempFolder temp;
    const std::string t = temp.Path();
    fs::create_directory(t + "out");
    std::ofstream(t + "out/.sonavel-abcdefgh.part") << "partial";
    std::ofstream(t + "out/keep.wav") << "not ours to remove";
    std::ofstream(t + "sonavel-notes.txt") << "unrelated";

    auto live = std::make_unique<TProgramFolder>(t);
    std::ofstream(live->Path() + "0.chl") << "live channel";
    // A program that died: its lock file is there but nobody holds the lock.
    fs::create_directory(t + "sonavel-deadbeef");
    std::ofstream(t + "sonavel-deadbeef.lock");
    std::ofstream(t + "sonavel-deadbeef/0.chl") << "dead channel";
    fs::create_symlink(t + "out/.sonavel-abcdefgh.part", t + "sonavel-deadbeef/part-1");
    fs::create_symlink(t + "out/keep.wav", t + "sonavel-deadbeef/part-2");
    // One whose clean-up died half-way: the folder without its lock file.
    fs::create_directory(t + "sonavel-orphan00");
    std::ofstream(t + "sonavel-orphan00/3.chl");

    EXPECT_EQ(RemoveDeadProgramFolders(t), 2);
    EXPECT_FALSE(fs::exists(t + "sonavel-deadbeef"));
    EXPECT_FALSE(fs::exists(t + "sonavel-deadbeef.lock"));
    EXPECT_FALSE(fs::exists(t + "sonavel-orphan00"));
    EXPECT_FALSE(fs::exists(t + "out/.sonavel-abcdefgh.part"));
    EXPECT_TRUE(fs::exists(t + "out/keep.wav"));  // only names of partial outputs are removed
    EXPECT_TRUE(fs::exists(live->Path() + "0.chl"));
    EXPECT_EQ(RemoveDeadProgramFolders(t), 0);

    live.reset();
    EXPECT_EQ(temp.Files(), (std::vector<std::string>{"out", "sonavel-notes.txt"}));
}

TEST(ProgramFolder, PartialOutputNamesAreShortAndOfFixedLength) {
    const std::string a = PartialOutputName();
    EXPECT_EQ(a.size(), 22U);
    EXPECT_TRUE(IsPartialOutputName(a));
    EXPECT_NE(a, PartialOutputName());
    for (const char* other : {".sonavel-abcdefgh.wav", "sonavel-abcdefgh.part",
                              ".sonavel-ABCDEFGH.part", ".sonavel-abc.part"}) {
        EXPECT_FALSE(IsPartialOutputName(other)) << other;
    }
}

}  // namespace
}  // namespace sonavel
