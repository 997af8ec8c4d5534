#include "platform/ReplacingFile.h"

#include <gtest/gtest.h>

#include "platform/FileError.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

void Put(TReplacingFile& f, const std::string& text) {
    f.File().WriteAt(text.data(), text.size(), 0);
}

std::string Content(const std::string& path) {
    const auto bytes = test::ReadWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

TEST(ReplacingFile, CommitPutsTheNewFileInPlace) {
    test::TTempFolder temp;
    const std::string target = temp.File("a.wav");
    {
        TReplacingFile f(target);
        Put(f, "new");
        EXPECT_FALSE(FileExists(target));  // nothing is visible before the commit
        f.Commit();
    }
    EXPECT_EQ(Content(target), "new");
    EXPECT_EQ(temp.Files(), std::vector<std::string>{"a.wav"});
}

TEST(ReplacingFile, AbandonedWriteLeavesTheOldFileAndNoLeftovers) {
    test::TTempFolder temp;
    const std::string target = temp.File("a.wav");
    {
        TReplacingFile f(target);
        Put(f, "old");
        f.Commit();
    }
    {
        TReplacingFile f(target);
        Put(f, "half of something new");
    }
    EXPECT_EQ(Content(target), "old");
    EXPECT_EQ(temp.Files(), std::vector<std::string>{"a.wav"});
}

TEST(ReplacingFile, AMissingFolderIsReportedWithItsName) {
    test::TTempFolder temp;
    try {
        TReplacingFile f(temp.File("missing/a.wav"));
        FAIL() << "must throw";
    } catch (const TFileError& e) {
        EXPECT_EQ(e.Code(), ENOENT);
        EXPECT_NE(std::string(e.what()).find("a.wav"), std::string::npos);
    }
}

}  // namespace
}  // namespace sonavel
