#include "core/SampleScale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace sonavel {
namespace {

// The scalings as extended-precision floating point, rounded to nearest with ties to even
// (the default rounding mode); the integer versions must agree with them everywhere.
std::int32_t ReadReference(std::int32_t stored, unsigned bytes) {
    const long double half = std::ldexp(1.0L, static_cast<int>(8 * bytes - 1));
    const long double factor = static_cast<long double>(MaxLevel) / half;
    return static_cast<std::int32_t>(std::llrint(stored * factor));
}

std::int32_t WriteReference(std::int32_t level, unsigned bytes) {
    const long double half = std::ldexp(1.0L, static_cast<int>(8 * bytes - 1));
    const long double factor = (half - 1) / static_cast<long double>(MaxLevel);
    return static_cast<std::int32_t>(std::llrint(level * factor));
}

TEST(SampleScale, EveryEightAndSixteenBitValueBothWays) {
    for (unsigned bytes : {1U, 2U}) {
        const std::int32_t half = 1 << (8 * bytes - 1);
        for (std::int32_t s = -half; s < half; ++s) {
            const std::int32_t level = StoredToLevel(s, bytes);
            ASSERT_EQ(level, ReadReference(s, bytes)) << bytes << " bytes, stored " << s;
            ASSERT_EQ(LevelToStored(level, bytes), WriteReference(level, bytes))
                << "level " << level;
            // and the neighbours of each level, where rounding turns
            ASSERT_EQ(LevelToStored(level - 1, bytes), WriteReference(level - 1, bytes));
            ASSERT_EQ(LevelToStored(level + 1, bytes), WriteReference(level + 1, bytes));
        }
    }
}

TEST(SampleScale, RunsOfLevelsWriteAndReadBackAsOneByOneAtEveryWidth) {
    // The levels on both sides of every rounding boundary of 1 and 2 bytes (where stored
    // value s turns into s + 1), the edges, and a dense sample of the whole range.
    for (unsigned bytes = 1; bytes <= 4; ++bytes) {
        std::vector<std::int32_t> levels = {INT32_MIN, -MaxLevel, -1, 0, 1, MaxLevel};
        if (bytes <= 2) {
            const std::int64_t half = std::int64_t{1} << (8 * bytes - 1);
            for (std::int64_t s = -half; s < half; ++s) {
                // level * (half - 1) / MaxLevel = s + 0.5
                const auto boundary = static_cast<std::int64_t>(
                    std::floor((static_cast<double>(s) + 0.5) * MaxLevel / (half - 1)));
                for (std::int64_t d = -2; d <= 2; ++d) {
                    const std::int64_t level = boundary + d;
                    if (level >= INT32_MIN && level <= INT32_MAX) {
                        levels.push_back(static_cast<std::int32_t>(level));
                    }
                }
            }
        }
        for (std::int64_t v = INT32_MIN; v <= INT32_MAX; v += 65521) {
            levels.push_back(static_cast<std::int32_t>(v));
        }
        std::vector<std::int32_t> stored(levels.size());
        LevelsToStored(levels.data(), levels.size(), bytes, stored.data());
        std::vector<std::int32_t> readBack = levels;
        LevelsRoundTrip(readBack.data(), readBack.size(), bytes);
        for (std::size_t i = 0; i < levels.size(); ++i) {
            ASSERT_EQ(stored[i], LevelToStored(levels[i], bytes))
                << bytes << " bytes, level " << levels[i];
            ASSERT_EQ(readBack[i], StoredToLevel(stored[i], bytes))
                << bytes << " bytes, level " << levels[i] << " read back";
        }
    }
}

TEST(SampleScale, EveryTwentyFourBitValueReads) {
    for (std::int32_t s = -(1 << 23); s < (1 << 23); ++s) {
        ASSERT_EQ(StoredToLevel(s, 3), ReadReference(s, 3)) << s;
    }
}

TEST(SampleScale, DenseSampleOfLevelsWritesAtEveryWidth) {
    // A prime stride walks through every residue class the rounding can depend on.
    for (unsigned bytes = 1; bytes <= 4; ++bytes) {
        for (std::int64_t v = INT32_MIN; v <= INT32_MAX; v += 1009) {
            const auto level = static_cast<std::int32_t>(v);
            ASSERT_EQ(LevelToStored(level, bytes), WriteReference(level, bytes))
                << bytes << " bytes, level " << level;
        }
    }
}

TEST(SampleScale, DenseSampleOfThirtyTwoBitReads) {
    for (std::int64_t s = INT32_MIN; s <= INT32_MAX; s += 4099) {
        ASSERT_EQ(StoredToLevel(static_cast<std::int32_t>(s), 4),
                  ReadReference(static_cast<std::int32_t>(s), 4))
            << s;
    }
    // Around the ties of the 32-bit read (stored +-2^30 gives exactly .5)
    for (std::int32_t s :
         {(1 << 30) - 2, (1 << 30) - 1, 1 << 30, (1 << 30) + 1, -(1 << 30), -(1 << 30) - 1}) {
        EXPECT_EQ(StoredToLevel(s, 4), ReadReference(s, 4)) << s;
    }
}

TEST(SampleScale, EdgeValues) {
    EXPECT_EQ(StoredToLevel(32767, 2), 2147418111);
    EXPECT_EQ(StoredToLevel(-32768, 2), -2147483647);
    EXPECT_EQ(StoredToLevel(-200, 2), -13107200);
    EXPECT_EQ(LevelToStored(-13107200, 2), -200);
    EXPECT_EQ(StoredToLevel(0, 2), 0);
    EXPECT_EQ(StoredToLevel(1, 2), 65536);
    EXPECT_EQ(LevelToStored(MaxLevel, 2), 32767);
    EXPECT_EQ(LevelToStored(INT32_MIN, 2), -32767);
    // A loud sample read and written back comes one step nearer to zero.
    EXPECT_EQ(LevelToStored(StoredToLevel(32767, 2), 2), 32766);
    EXPECT_EQ(LevelToStored(StoredToLevel(-32768, 2), 2), -32767);
    EXPECT_EQ(LevelToStored(StoredToLevel(16384, 2), 2), 16384);
    EXPECT_EQ(StoredToLevel(127, 1), 2130706431);
    EXPECT_EQ(StoredToLevel(-128, 1), -2147483647);
    EXPECT_EQ(LevelToStored(MaxLevel, 1), 127);
    EXPECT_EQ(LevelToStored(-MaxLevel, 3), -8388607);
    EXPECT_EQ(StoredToLevel(INT32_MIN, 4), -MaxLevel);
    EXPECT_EQ(StoredToLevel(MaxLevel, 4), MaxLevel - 1);
    EXPECT_EQ(LevelToStored(MaxLevel, 4), MaxLevel);
    EXPECT_EQ(LevelToStored(INT32_MIN, 4), INT32_MIN);
    for (unsigned bytes = 1; bytes <= 3; ++bytes) {
        const std::int32_t limit = (1 << (8 * bytes - 1)) - 1;
        EXPECT_EQ(LevelToStored(INT32_MIN, bytes), -limit);
        EXPECT_EQ(LevelToStored(INT32_MAX, bytes), limit);
    }
}

TEST(SampleScale, SignExtension) {
    EXPECT_EQ(SignExtend(0xFF, 1), -1);
    EXPECT_EQ(SignExtend(0x7F, 1), 127);
    EXPECT_EQ(SignExtend(0x8000, 2), -32768);
    EXPECT_EQ(SignExtend(0x800000, 3), -8388608);
    EXPECT_EQ(SignExtend(0x7FFFFF, 3), 8388607);
    EXPECT_EQ(SignExtend(0xFFFFFFFF, 4), -1);
}

}  // namespace
}  // namespace sonavel
