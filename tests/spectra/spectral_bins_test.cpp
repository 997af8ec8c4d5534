#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "spectra/SpectralBins.h"

namespace sonavel {
namespace {

using Spectrum = std::vector<TComplex>;

// Bin j holds (j + 1, -(j + 1)), so moved bins show where they came from.
Spectrum Numbered(std::size_t bins) {
    Spectrum spectrum(bins);
    for (std::size_t j = 0; j < bins; ++j) {
        spectrum[j] = {static_cast<long double>(j + 1), -static_cast<long double>(j + 1)};
    }
    return spectrum;
}

bool SameBins(const Spectrum& a, const Spectrum& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t j = 0; j < a.size(); ++j) {
        if (a[j].Re != b[j].Re || a[j].Im != b[j].Im) {
            return false;
        }
    }
    return true;
}

// The original bin number a bin now holds, or -1 for a zeroed bin.
long long Origin(const TComplex& bin) {
    if (bin.Re == 0 && bin.Im == 0) {
        return -1;
    }
    return static_cast<long long>(bin.Re) - 1;
}

TEST(SpectralBinsTest, BlockLengthIsThePowerOfTwoCoveringOneSecond) {
    EXPECT_EQ(SpectralBlockLength(8000), 8192U);
    EXPECT_EQ(SpectralBlockLength(22050), 32768U);
    EXPECT_EQ(SpectralBlockLength(44100), 65536U);
    EXPECT_EQ(SpectralBlockLength(65536), 65536U);
    EXPECT_EQ(SpectralBlockLength(65537), 131072U);
    EXPECT_EQ(SpectralBlockLength(1), 2U);
    EXPECT_EQ(SpectralBlockLength(3), 4U);
    EXPECT_EQ(SpectralBlockLength(MaxSpectralBlockLength), MaxSpectralBlockLength);
    EXPECT_THROW(SpectralBlockLength(MaxSpectralBlockLength + 1), std::invalid_argument);
    EXPECT_THROW(SpectralBlockLength(4000000000U), std::invalid_argument);
}

TEST(SpectralBinsTest, StretchBlockIsASixteenthButNeverBelowTwo) {
    EXPECT_EQ(StretchBlockLength(44100), 4096U);
    EXPECT_EQ(StretchBlockLength(8000), 512U);
    EXPECT_EQ(StretchBlockLength(16), 2U);
    EXPECT_EQ(StretchBlockLength(1), 2U);
}

TEST(SpectralBinsTest, FrequenciesToBinsAt44100) {
    const std::uint32_t n = 65536;
    EXPECT_EQ(ColorStartBin(44100, n), 3);
    EXPECT_EQ(ShiftBinCount(100, 44100, n), 149);
    EXPECT_EQ(ShiftBinCount(-100, 44100, n), 149);
    EXPECT_EQ(ShiftBinCount(8, 44100, n), 12);
    EXPECT_EQ(FrequencyBin(1000, 44100, n), 1486);
    EXPECT_EQ(FrequencyBin(2000, 44100, n), 2972);
    EXPECT_EQ(FrequencyBin(1, 44100, n), 1);
    EXPECT_EQ(FrequencyBin(22050, 44100, n), 32768);
    EXPECT_EQ(ColorStartBin(8000, 8192), 2);
}

TEST(SpectralBinsTest, RoundingTiesGoToEven) {
    EXPECT_EQ(RoundHalfEven(0.5L), 0);
    EXPECT_EQ(RoundHalfEven(1.5L), 2);
    EXPECT_EQ(RoundHalfEven(2.5L), 2);
    EXPECT_EQ(RoundHalfEven(-2.5L), -2);
    EXPECT_EQ(RoundHalfEven(2.5000001L), 3);
    // Half the sample rate in blocks of 3 and 5: 1.5 and 2.5 bins, both ties.
    EXPECT_EQ(FrequencyBin(1, 2, 3), 2);
    EXPECT_EQ(FrequencyBin(1, 2, 5), 2);
}

TEST(SpectralBinsTest, FilterKeepingABandZeroesEverythingOutside) {
    const std::int64_t lo = FrequencyBin(1000, 44100, 65536);
    const std::int64_t hi = FrequencyBin(2000, 44100, 65536);
    Spectrum kept = Numbered(32769);
    FilterBandBins(kept, lo, hi, true);
    EXPECT_EQ(Origin(kept[0]), -1);
    EXPECT_EQ(Origin(kept[1485]), -1);
    EXPECT_EQ(Origin(kept[1486]), 1486);
    EXPECT_EQ(Origin(kept[2972]), 2972);
    EXPECT_EQ(Origin(kept[2973]), -1);
    EXPECT_EQ(Origin(kept[32768]), -1);

    Spectrum removed = Numbered(32769);
    FilterBandBins(removed, lo, hi, false);
    EXPECT_EQ(Origin(removed[0]), 0);
    EXPECT_EQ(Origin(removed[1485]), 1485);
    EXPECT_EQ(Origin(removed[1486]), -1);
    EXPECT_EQ(Origin(removed[2972]), -1);
    EXPECT_EQ(Origin(removed[2973]), 2973);
}

TEST(SpectralBinsTest, FilterBandOutsideTheSpectrumAffectsNoBinWhenRemoving) {
    Spectrum spectrum = Numbered(9);
    FilterBandBins(spectrum, 20, 30, false);
    for (std::size_t j = 0; j < spectrum.size(); ++j) {
        EXPECT_EQ(Origin(spectrum[j]), static_cast<long long>(j));
    }
}

TEST(SpectralBinsTest, EqualizerFullRangeScalesEveryBinButDC) {
    // StartFreq 1 Hz and width 22050 Hz at 44100 Hz: bins 1..32768.
    const std::int64_t first = FrequencyBin(1, 44100, 65536);
    const std::int64_t count = FrequencyBin(22050, 44100, 65536);
    ASSERT_EQ(first, 1);
    ASSERT_EQ(count, 32768);
    const std::vector<std::uint8_t> zero(16, 0);
    Spectrum spectrum = Numbered(32769);
    EqualizeBins(spectrum, zero, first, count);
    EXPECT_EQ(Origin(spectrum[0]), 0);
    for (std::size_t j = 1; j < spectrum.size(); ++j) {
        ASSERT_EQ(Origin(spectrum[j]), -1) << j;
    }

    const std::vector<std::uint8_t> unity(16, 100);
    Spectrum same = Numbered(32769);
    EqualizeBins(same, unity, first, count);
    EXPECT_TRUE(SameBins(same, Numbered(32769)));
}

TEST(SpectralBinsTest, EqualizerBandsAreEqualSlicesOfTheRange) {
    std::vector<std::uint8_t> gains(16);
    for (std::size_t p = 0; p < 16; ++p) {
        gains[p] = static_cast<std::uint8_t>(10 * (p + 1));  // band p: (p + 1) / 10
    }
    Spectrum spectrum(32769, TComplex{100, -100});
    EqualizeBins(spectrum, gains, 1, 32768);
    const auto gainAt = [&](std::size_t j) { return static_cast<double>(spectrum[j].Re / 100); };
    EXPECT_DOUBLE_EQ(gainAt(0), 1.0);      // outside the range
    EXPECT_DOUBLE_EQ(gainAt(1), 0.1);      // Trunc(16 / 32768 * 1) = 0
    EXPECT_DOUBLE_EQ(gainAt(2047), 0.1);   // Trunc(2047 / 2048) = 0
    EXPECT_DOUBLE_EQ(gainAt(2048), 0.2);   // band 1 starts
    EXPECT_DOUBLE_EQ(gainAt(30720), 1.6);  // 30720 / 2048 = 15
    EXPECT_DOUBLE_EQ(gainAt(32767), 1.6);
    EXPECT_DOUBLE_EQ(gainAt(32768), 1.6);  // 16 is limited to the last band
    EXPECT_DOUBLE_EQ(static_cast<double>(spectrum[2048].Im), -20.0);
}

TEST(SpectralBinsTest, EqualizerBandOfEveryBinIsTheTruncatedProduct) {
    // Ranges whose width is no multiple of the band count, narrower than it, and reaching
    // past the top: each bin's gain is that of band min(Trunc(len / count * (j - first + 1)),
    // len - 1), the product taken in extended precision.
    struct TCase {
        std::int64_t First;
        std::int64_t Count;
        std::size_t Bands;
    };
    for (const TCase& c : {TCase{1, 32768, 16}, TCase{30, 29970, 16}, TCase{7, 1000, 3},
                           TCase{5, 9, 16}, TCase{0, 1, 16}, TCase{100, 40000, 7}}) {
        std::vector<std::uint8_t> gains(c.Bands);
        for (std::size_t p = 0; p < c.Bands; ++p) {
            gains[p] = static_cast<std::uint8_t>(p + 1);
        }
        Spectrum spectrum(32769, TComplex{100, 100});
        EqualizeBins(spectrum, gains, c.First, c.Count);
        const long double bandsPerBin = static_cast<long double>(c.Bands) / c.Count;
        for (std::int64_t j = c.First; j < c.First + c.Count && j < 32769; ++j) {
            const auto p = std::min<std::int64_t>(
                static_cast<std::int64_t>(bandsPerBin * static_cast<long double>(j - c.First + 1)),
                static_cast<std::int64_t>(c.Bands) - 1);
            ASSERT_EQ(spectrum[static_cast<std::size_t>(j)].Re,
                      100 * (static_cast<long double>(p + 1) / 100))
                << "bin " << j << " of " << c.First << " + " << c.Count;
        }
    }
}

TEST(SpectralBinsTest, EqualizerWithoutGainsOrBinsChangesNothing) {
    Spectrum spectrum = Numbered(33);
    EqualizeBins(spectrum, {}, 1, 32);
    EqualizeBins(spectrum, std::vector<std::uint8_t>(16, 0), 1, 0);
    EqualizeBins(spectrum, std::vector<std::uint8_t>(16, 0), 40, 10);
    EXPECT_TRUE(SameBins(spectrum, Numbered(33)));
}

TEST(SpectralBinsTest, ShiftUpMovesBinsAndLosesTheTop) {
    Spectrum spectrum = Numbered(11);
    ShiftBinsUp(spectrum, 3);
    for (long long j = 0; j < 11; ++j) {
        EXPECT_EQ(Origin(spectrum[static_cast<std::size_t>(j)]), j < 3 ? -1 : j - 3) << j;
    }
    Spectrum all = Numbered(11);
    ShiftBinsUp(all, 11);
    for (const auto& bin : all) {
        EXPECT_EQ(Origin(bin), -1);
    }
}

TEST(SpectralBinsTest, ShiftDownMovesBinsAndLosesTheBottom) {
    Spectrum spectrum = Numbered(11);
    ShiftBinsDown(spectrum, 3);
    for (long long j = 0; j < 11; ++j) {
        EXPECT_EQ(Origin(spectrum[static_cast<std::size_t>(j)]), j + 3 > 10 ? -1 : j + 3) << j;
    }
}

TEST(SpectralBinsTest, ShiftUpThenDownLosesOnlyTheTopBins) {
    // Content that moves past the top on the way up is gone; the lowest bins come back.
    Spectrum spectrum = Numbered(11);
    ShiftBinsUp(spectrum, 3);
    ShiftBinsDown(spectrum, 3);
    for (long long j = 0; j < 11; ++j) {
        EXPECT_EQ(Origin(spectrum[static_cast<std::size_t>(j)]), j <= 7 ? j : -1) << j;
    }
}

TEST(SpectralBinsTest, StretchBy200TakesHalfwayBinsWithTiesToEven) {
    EXPECT_EQ(StretchSourceBin(1, 200), 0);
    EXPECT_EQ(StretchSourceBin(2, 200), 1);
    EXPECT_EQ(StretchSourceBin(3, 200), 2);
    EXPECT_EQ(StretchSourceBin(5, 200), 2);
    EXPECT_EQ(StretchSourceBin(7, 200), 4);
    Spectrum spectrum = Numbered(9);
    StretchBins(spectrum, 200);
    const std::vector<long long> expected{0, 0, 1, 2, 2, 2, 3, 4, 4};
    for (std::size_t j = 0; j < spectrum.size(); ++j) {
        EXPECT_EQ(Origin(spectrum[j]), expected[j]) << j;
    }
}

TEST(SpectralBinsTest, ShrinkBy50TakesDoubleBinsAndEmptiesTheTopHalf) {
    Spectrum spectrum = Numbered(9);
    StretchBins(spectrum, 50);
    const std::vector<long long> expected{0, 2, 4, 6, 8, -1, -1, -1, -1};
    for (std::size_t j = 0; j < spectrum.size(); ++j) {
        EXPECT_EQ(Origin(spectrum[j]), expected[j]) << j;
    }
}

TEST(SpectralBinsTest, StretchBy100IsIdentityAndBy0KeepsOnlyDC) {
    Spectrum same = Numbered(9);
    StretchBins(same, 100);
    EXPECT_TRUE(SameBins(same, Numbered(9)));
    Spectrum squeezed = Numbered(9);
    StretchBins(squeezed, 0);
    EXPECT_EQ(Origin(squeezed[0]), 0);
    for (std::size_t j = 1; j < squeezed.size(); ++j) {
        EXPECT_EQ(Origin(squeezed[j]), -1) << j;
    }
}

TEST(SpectralBinsTest, GlideFactorIsTheMeanOfThePreviousAndTheRamp) {
    // 200 % over 4 blocks: ramp 125, 150, 175, 200.
    std::uint32_t f = 100;
    std::vector<std::uint32_t> seen;
    for (std::uint64_t b = 0; b < 4; ++b) {
        f = GlideFactor(f, b, 4, 200);
        seen.push_back(f);
    }
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{112, 131, 153, 176}));
    // Shrinking: 50 % over 2 blocks: ramp 75, 50.
    EXPECT_EQ(GlideFactor(100, 0, 2, 50), 87U);
    EXPECT_EQ(GlideFactor(87, 1, 2, 50), 68U);
    // A million blocks: (block + 1) * (factor - 100) no longer fits 32 bits.
    EXPECT_EQ(GlideFactor(30000, 999999, 1000000, 65535), 47767U);
}

TEST(SpectralBinsTest, PinkColouringFallsByAnOctaveStep) {
    Spectrum spectrum(40, TComplex{1, -1});
    ColorNoiseBins(spectrum, 1, 3);
    const auto gainAt = [&](std::size_t j) { return static_cast<double>(spectrum[j].Re); };
    const double step = std::exp(-0.3);
    EXPECT_DOUBLE_EQ(gainAt(2), 1.0);  // below the 2 Hz bin
    EXPECT_DOUBLE_EQ(gainAt(3), 16.0);
    EXPECT_DOUBLE_EQ(gainAt(4), 16.0);
    EXPECT_NEAR(gainAt(5), 16 * step, 1e-13);  // bins 2^(k-1)*3+2 .. 2^k*3+1 get 16 e^(-0.3k)
    EXPECT_NEAR(gainAt(7), 16 * step, 1e-13);
    EXPECT_NEAR(gainAt(8), 16 * step * step, 1e-13);
    EXPECT_NEAR(gainAt(13), 16 * step * step, 1e-13);
    EXPECT_NEAR(gainAt(14), 16 * std::pow(step, 3), 1e-13);
    EXPECT_NEAR(gainAt(25), 16 * std::pow(step, 3), 1e-13);
    EXPECT_NEAR(gainAt(26), 16 * std::pow(step, 4), 1e-13);
    EXPECT_NEAR(static_cast<double>(spectrum[26].Im), -16 * std::pow(step, 4), 1e-13);
}

TEST(SpectralBinsTest, BrownColouringStartsAt32AndFallsTwiceAsFast) {
    Spectrum spectrum(10, TComplex{1, 0});
    ColorNoiseBins(spectrum, 2, 2);
    EXPECT_DOUBLE_EQ(static_cast<double>(spectrum[1].Re), 1.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(spectrum[2].Re), 32.0);
    EXPECT_DOUBLE_EQ(static_cast<double>(spectrum[3].Re), 32.0);
    EXPECT_NEAR(static_cast<double>(spectrum[4].Re), 32 * std::exp(-0.6), 1e-13);
    EXPECT_NEAR(static_cast<double>(spectrum[5].Re), 32 * std::exp(-0.6), 1e-13);
    EXPECT_NEAR(static_cast<double>(spectrum[6].Re), 32 * std::exp(-1.2), 1e-13);
    EXPECT_NEAR(static_cast<double>(spectrum[9].Re), 32 * std::exp(-1.2), 1e-13);
}

}  // namespace
}  // namespace sonavel
