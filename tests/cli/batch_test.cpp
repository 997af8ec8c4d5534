// Several sonavel-cli processes at once on one temporary folder, as a batch run with xargs -P
// does: each output equals the one a single run makes, and nothing is left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

TEST(Batch, ParallelRunsOnOneTemporaryFolderMatchSingleRuns) {
    test::TTempFolder temp;
    const std::string shared = temp.File("chl/");
    std::filesystem::create_directory(shared);
    constexpr int Files = 4;
    const auto run = [&](int i, const std::string& suffix) {
        // Built from a named string: GCC 12 misreads a temporary's bounds here (-Warray-bounds).
        std::string command = SONAVEL_CLI_PATH;
        return command + " --quiet --temp " + shared + " " + temp.File(std::to_string(i) + ".wav") +
               " volume percent=150 echo reverse fade-out -o " +
               temp.File(std::to_string(i) + suffix + ".wav");
    };
    for (int i = 0; i < Files; ++i) {
        std::vector<std::int32_t> samples(60000);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            samples[k] = static_cast<std::int32_t>((k * (i + 3) * 7919) % 40000) - 20000;
        }
        test::TWavBuilder()
            .Riff()
            .Format(2, 22050, 16)
            .Data(samples, 2)
            .WriteTo(temp.File(std::to_string(i) + ".wav"));
        ASSERT_EQ(std::system(run(i, "-single").c_str()), 0);
    }
    std::vector<FILE*> running;
    for (int i = 0; i < Files; ++i) {
        running.push_back(::popen(run(i, "-parallel").c_str(), "r"));
        ASSERT_NE(running.back(), nullptr);
    }
    for (FILE* process : running) {
        EXPECT_EQ(::pclose(process), 0);
    }
    for (int i = 0; i < Files; ++i) {
        const auto single = test::ReadWholeFile(temp.File(std::to_string(i) + "-single.wav"));
        EXPECT_GT(single.size(), 44U);
        EXPECT_EQ(test::ReadWholeFile(temp.File(std::to_string(i) + "-parallel.wav")), single) << i;
    }
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(shared)) {
        if (entry.is_regular_file()) {
            left.push_back(entry.path().string());
        }
    }
    EXPECT_TRUE(left.empty()) << left.front();
}

}  // namespace
}  // namespace sonavel
