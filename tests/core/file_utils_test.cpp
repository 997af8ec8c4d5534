#include "core/FileUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <random>
#include <thread>
#include <vector>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace sonavel {
namespace {

constexpr std::uint64_t MiB = 1048576;

std::uint64_t DiskSize(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0);
    return static_cast<std::uint64_t>(st.st_size);
}

std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed) {
    std::vector<std::uint8_t> bytes(n);
    std::mt19937 random(seed);
    for (auto& b : bytes) {
        b = static_cast<std::uint8_t>(random());
    }
    return bytes;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    auto f = TFile::Create(path);
    f->WriteBytes(bytes.data(), 0, bytes.size());
}

class FileTest : public ::testing::Test {
  protected:
    test::TTempFolder Temp;
    std::string Path = Temp.File("f.bin");
};

TEST_F(FileTest, CreateStartsEmptyWithWindowOneAsLast) {
    auto f = TFile::Create(Path);
    EXPECT_EQ(f->Size(), 0U);
    EXPECT_EQ(f->LastWindow(), 1);
    for (int w = 0; w < 2; ++w) {
        EXPECT_EQ(f->Window(w).Start, 0U);
        EXPECT_EQ(f->Window(w).Length, 0U);
        EXPECT_FALSE(f->Window(w).Dirty);
    }
}

TEST_F(FileTest, CreateTruncatesAnExistingFile) {
    WriteFile(Path, Pattern(1000, 1));
    auto f = TFile::Create(Path);
    EXPECT_EQ(f->Size(), 0U);
    EXPECT_EQ(DiskSize(Path), 0U);
}

TEST_F(FileTest, ReadAtOrBeyondSizeGivesZerosAndDoesNotGrow) {
    WriteFile(Path, {1, 2, 3});
    auto f = TFile::Open(Path, TFile::ReadWrite);
    std::uint8_t buffer[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_EQ(f->ReadBytes(buffer, 1, 6), 7U);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + 6),
              (std::vector<std::uint8_t>{2, 3, 0, 0, 0, 0}));
    f->ReadBytes(buffer, 50 * MiB, 6);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(f->Size(), 3U);
    f.reset();
    EXPECT_EQ(DiskSize(Path), 3U);
}

TEST_F(FileTest, WritingFarBehindTheEndGrowsTheDiskFileWithZeros) {
    auto f = TFile::Create(Path);
    const std::uint8_t byte = 0xAB;
    const std::uint64_t p = 10 * MiB + 17;
    EXPECT_EQ(f->WriteBytes(&byte, p, 1), p + 1);
    EXPECT_EQ(f->Size(), p + 1);
    EXPECT_EQ(DiskSize(Path), p + 1);  // grown by the window load, before any write-back
    std::vector<std::uint8_t> back(4096, 7);
    f->ReadBytes(back.data(), p - 4095, 4096);
    EXPECT_EQ(back[4095], 0xAB);
    EXPECT_EQ(std::count(back.begin(), back.end(), 0), 4095);
}

TEST_F(FileTest, SmallFileIsInBothWindowsAndWritesUpdateBoth) {
    WriteFile(Path, Pattern(1000, 2));
    auto f = TFile::Open(Path, TFile::ReadWrite);
    EXPECT_EQ(f->Window(0).Length, 1000U);
    EXPECT_EQ(f->Window(1).Length, 1000U);
    const std::uint8_t v = 0x5A;
    f->WriteBytes(&v, 500, 1);
    EXPECT_TRUE(f->Window(0).Dirty);
    EXPECT_TRUE(f->Window(1).Dirty);
    EXPECT_EQ(f->LastWindow(), 1);
    std::uint8_t got = 0;
    f->ReadBytes(&got, 500, 1);
    EXPECT_EQ(got, 0x5A);
    EXPECT_EQ(f->LastWindow(), 0);  // window 0 answers first
    // Force window 0 away; window 1 must still hold the new value.
    f->ReadBytes(&got, 0, 1);
    f.reset();
    EXPECT_EQ(test::ReadWholeFile(Path)[500], 0x5A);
}

TEST_F(FileTest, WindowPlacementForwardBackwardAndBelowOneMebibyte) {
    WriteFile(Path, Pattern(4 * MiB, 3));
    auto f = TFile::Open(Path, TFile::ReadOnly);
    std::uint8_t b = 0;
    f->ReadBytes(&b, 3 * MiB, 1);  // victim 0 (window 1 was last)
    EXPECT_EQ(f->Window(0).Start, 3 * MiB);
    EXPECT_EQ(f->Window(0).Length, MiB);
    EXPECT_EQ(f->LastWindow(), 0);
    f->ReadBytes(&b, MiB + MiB / 2, 1);  // victim 1, forward from its start 0
    EXPECT_EQ(f->Window(1).Start, MiB + MiB / 2);
    f->ReadBytes(&b, 2 * MiB + 900000, 1);  // victim 0, below its start: half a window back
    EXPECT_EQ(f->Window(0).Start, 2 * MiB + 900000 - MiB / 2);
    f->ReadBytes(&b, 1000, 1);  // victim 1, below 1 MiB starts at 0
    EXPECT_EQ(f->Window(1).Start, 0U);
    EXPECT_EQ(f->Window(1).Length, MiB);
}

TEST_F(FileTest, WindowShorterAtTheEndOfTheFile) {
    WriteFile(Path, Pattern(2 * MiB + 10, 4));
    auto f = TFile::Open(Path, TFile::ReadOnly);
    std::uint8_t b = 0;
    f->ReadBytes(&b, 2 * MiB, 1);
    EXPECT_EQ(f->Window(0).Start, 2 * MiB);
    EXPECT_EQ(f->Window(0).Length, 10U);
}

TEST_F(FileTest, ExtendingAWindowZeroFillsTheGap) {
    auto f = TFile::Create(Path);
    const auto head = Pattern(10, 5);
    f->WriteBytes(head.data(), 0, head.size());
    const std::uint8_t v = 0xEE;
    f->WriteBytes(&v, 100, 1);
    EXPECT_EQ(f->Window(0).Length, 101U);
    EXPECT_EQ(f->Window(1).Length, 101U);
    EXPECT_EQ(f->Size(), 101U);
    std::vector<std::uint8_t> back(101);
    f->ReadBytes(back.data(), 0, 101);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), back.begin()));
    EXPECT_TRUE(std::all_of(back.begin() + 10, back.begin() + 100, [](auto x) { return x == 0; }));
    EXPECT_EQ(back[100], 0xEE);
}

TEST_F(FileTest, ReadStringReturnsBytesAsCharacters) {
    WriteFile(Path, {'R', 'I', 'F', 'F', 0, 'x'});
    auto f = TFile::Open(Path, TFile::ReadOnly);
    std::string s = "old";
    EXPECT_EQ(f->ReadString(s, 0, 4), 4U);
    EXPECT_EQ(s, "RIFF");
    f->ReadString(s, 3, 3);
    EXPECT_EQ(s, std::string("F\0x", 3));
}

TEST_F(FileTest, DeleteBytesRemovesARangeAndClipsAtTheEnd) {
    const auto data = Pattern(3 * MiB + 5, 6);
    WriteFile(Path, data);
    auto f = TFile::Open(Path, TFile::ReadWrite);
    f->DeleteBytes(100, MiB);
    EXPECT_EQ(ProgressTotal.load(), 2 * MiB + 5 - 100 + 1);
    EXPECT_EQ(ProgressPosition.load(), 2 * MiB + 5 - 100);
    EXPECT_FALSE(Processing.load());
    // Windows reload from the start, as after opening.
    EXPECT_EQ(f->Window(0).Start, 0U);
    EXPECT_EQ(f->Window(1).Length, MiB);
    std::vector<std::uint8_t> expected(data.begin(), data.begin() + 100);
    expected.insert(expected.end(), data.begin() + 100 + MiB, data.end());
    EXPECT_EQ(f->Size(), expected.size());
    std::vector<std::uint8_t> back(expected.size());
    f->ReadBytes(back.data(), 0, back.size());
    EXPECT_EQ(back, expected);

    f->DeleteBytes(1000, 100 * MiB);  // more than the rest: everything from 1000 goes
    EXPECT_EQ(f->Size(), 1000U);
    f.reset();
    EXPECT_EQ(DiskSize(Path), 1000U);
}

TEST_F(FileTest, DeleteBytesAtOrBeyondTheEndDoesNothingAndLeavesProgressAlone) {
    WriteFile(Path, Pattern(100, 7));
    auto f = TFile::Open(Path, TFile::ReadWrite);
    ProgressTotal = 12345;
    ProgressPosition = 678;
    f->DeleteBytes(100, 5);
    f->DeleteBytes(5000, 5);
    EXPECT_EQ(f->Size(), 100U);
    EXPECT_EQ(ProgressTotal.load(), 12345U);
    EXPECT_EQ(ProgressPosition.load(), 678U);
}

TEST_F(FileTest, DeleteEverythingLeavesAnEmptyFile) {
    WriteFile(Path, Pattern(5000, 8));
    auto f = TFile::Open(Path, TFile::ReadWrite);
    f->DeleteBytes(0, 5000);
    EXPECT_EQ(f->Size(), 0U);
}

TEST_F(FileTest, InsertBytesInsideMovesTheTailAndKeepsOldBytesInTheGap) {
    const auto data = Pattern(2 * MiB + 3, 9);
    WriteFile(Path, data);
    auto f = TFile::Open(Path, TFile::ReadWrite);
    const std::uint64_t p = MiB - 7;
    const std::uint64_t n = MiB + 11;
    f->InsertBytes(p, n);
    EXPECT_EQ(ProgressTotal.load(), data.size() - p + 1);
    EXPECT_EQ(ProgressPosition.load(), data.size() - p);
    EXPECT_FALSE(Processing.load());
    ASSERT_EQ(f->Size(), data.size() + n);
    std::vector<std::uint8_t> back(data.size() + n);
    f->ReadBytes(back.data(), 0, back.size());
    // Head unchanged, tail moved up by n.
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + p, back.begin()));
    EXPECT_TRUE(std::equal(data.begin() + p, data.end(), back.begin() + p + n));
    // The gap keeps what was there: old bytes below the old end, zeros above it.
    EXPECT_TRUE(std::equal(data.begin() + p, data.end(), back.begin() + p));
    EXPECT_TRUE(std::all_of(back.begin() + data.size(), back.begin() + p + n,
                            [](auto x) { return x == 0; }));
}

TEST_F(FileTest, InsertBytesAtOrPastTheEndAppendsZeros) {
    WriteFile(Path, {1, 2, 3});
    auto f = TFile::Open(Path, TFile::ReadWrite);
    f->InsertBytes(3, 4);
    EXPECT_EQ(ProgressTotal.load(), 4U);
    EXPECT_EQ(f->Size(), 7U);
    f->InsertBytes(10, 2);  // past the end: zeros up to and including the new bytes
    EXPECT_EQ(f->Size(), 12U);
    f.reset();
    EXPECT_EQ(test::ReadWholeFile(Path),
              (std::vector<std::uint8_t>{1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(FileTest, InsertAfterUnflushedWritesKeepsThem) {
    auto f = TFile::Create(Path);
    const auto data = Pattern(3000, 10);
    f->WriteBytes(data.data(), 0, data.size());  // only in the windows so far
    f->InsertBytes(1000, 10);
    std::vector<std::uint8_t> back(3010);
    f->ReadBytes(back.data(), 0, back.size());
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 1000, back.begin()));
    EXPECT_TRUE(std::equal(data.begin() + 1000, data.end(), back.begin() + 1010));
}

// Random runs of reads, writes, insertions and deletions against a plain byte vector: the
// cache must never show anything but what was written.
TEST_F(FileTest, BehavesLikeAByteVectorUnderRandomAccess) {
    std::vector<std::uint8_t> model;
    auto f = TFile::Create(Path);
    std::mt19937 random(42);
    auto pick = [&](std::uint64_t limit) {
        return std::uniform_int_distribution<std::uint64_t>(0, limit)(random);
    };
    for (int step = 0; step < 400; ++step) {
        const int op = static_cast<int>(pick(19));
        if (op < 9) {
            const std::uint64_t pos = pick(model.size() + MiB / 2);
            const std::uint64_t len = 1 + pick(op == 0 ? 2 * MiB : 70000);
            const auto bytes = Pattern(len, static_cast<unsigned>(step));
            f->WriteBytes(bytes.data(), pos, len);
            if (model.size() < pos + len) {
                model.resize(pos + len, 0);
            }
            std::copy(bytes.begin(), bytes.end(), model.begin() + static_cast<std::ptrdiff_t>(pos));
        } else if (op < 17) {
            const std::uint64_t pos = pick(model.size() + 1000);
            const std::uint64_t len = 1 + pick(op == 9 ? 2 * MiB : 70000);
            std::vector<std::uint8_t> got(len);
            f->ReadBytes(got.data(), pos, len);
            for (std::uint64_t i = 0; i < len; ++i) {
                const std::uint8_t want = pos + i < model.size() ? model[pos + i] : 0;
                ASSERT_EQ(got[i], want) << "step " << step << " at " << pos + i;
            }
        } else if (op == 17 && !model.empty()) {
            const std::uint64_t pos = pick(model.size() - 1);
            const std::uint64_t len = 1 + pick(100000);
            f->DeleteBytes(pos, len);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(pos),
                        model.begin() + static_cast<std::ptrdiff_t>(
                                            std::min<std::uint64_t>(model.size(), pos + len)));
        } else if (op == 18) {
            const std::uint64_t pos = pick(model.size());
            const std::uint64_t len = 1 + pick(100000);
            f->InsertBytes(pos, len);
            // Gap content is unspecified apart from the zero tail; make it known.
            const std::vector<std::uint8_t> zeros(len, 0);
            f->WriteBytes(zeros.data(), pos, len);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(pos), len, 0);
        }
        ASSERT_EQ(f->Size(), model.size()) << "step " << step;
    }
    f.reset();
    EXPECT_EQ(test::ReadWholeFile(Path), model);
}

TEST_F(FileTest, FailuresCarryTheErrorCodeAndTheFileName) {
    try {
        TFile::Open(Temp.File("missing.bin"), TFile::ReadOnly);
        FAIL() << "opening a missing file must throw";
    } catch (const TFileError& e) {
        EXPECT_EQ(e.Code(), ENOENT);
        EXPECT_EQ(e.FileName(), Temp.File("missing.bin"));
    }
    try {
        TFile::Create(Temp.File("no/such/folder.bin"));
        FAIL() << "creating in a missing folder must throw";
    } catch (const TFileError& e) {
        EXPECT_EQ(e.Code(), ENOENT);
    }
    // A write-back on a read-only file fails loudly on Flush.
    WriteFile(Path, Pattern(100, 11));
    auto f = TFile::Open(Path, TFile::ReadOnly);
    const std::uint8_t v = 1;
    f->WriteBytes(&v, 0, 1);
    try {
        f->Flush();
        FAIL() << "flushing a read-only file must throw";
    } catch (const TFileError& e) {
        EXPECT_EQ(e.Code(), EBADF);
        EXPECT_EQ(e.FileName(), Path);
    }
}

TEST_F(FileTest, CreateNewNeverTouchesAnExistingFile) {
    WriteFile(Path, {1, 2, 3});
    EXPECT_EQ(TFile::CreateNew(Path), nullptr);
    EXPECT_EQ(DiskSize(Path), 3U);
    EXPECT_NE(TFile::CreateNew(Temp.File("other.bin")), nullptr);
}

// Two threads on one file, each on its own region: the lock keeps the windows consistent.
TEST_F(FileTest, ConcurrentReadersAndWritersSeeConsistentBytes) {
    auto f = TFile::Create(Path);
    const std::uint64_t region = 3 * MiB;
    auto worker = [&](std::uint8_t tag, std::uint64_t base) {
        std::vector<std::uint8_t> chunk(4096, tag);
        for (std::uint64_t pos = 0; pos < region; pos += chunk.size()) {
            f->WriteBytes(chunk.data(), base + pos, chunk.size());
        }
    };
    std::thread a(worker, 0x11, 0);
    std::thread b(worker, 0x22, region);
    a.join();
    b.join();
    std::vector<std::uint8_t> back(2 * region);
    f->ReadBytes(back.data(), 0, back.size());
    EXPECT_EQ(std::count(back.begin(), back.begin() + static_cast<std::ptrdiff_t>(region), 0x11),
              static_cast<std::ptrdiff_t>(region));
    EXPECT_EQ(std::count(back.begin() + static_cast<std::ptrdiff_t>(region), back.end(), 0x22),
              static_cast<std::ptrdiff_t>(region));
}

}  // namespace
}  // namespace sonavel
