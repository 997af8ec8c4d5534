#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "core/AudioStream.h"
#include "core/Progress.h"
#include "core/SpectralTestSupport.h"
#include "spectra/SpectraUtils.h"
#include "support/TempFolder.h"

namespace sonavel {
namespace {

using test::BinTone;
using test::ReadChannel;
using test::WriteChannel;

class AnalysisTest : public test::TStreamTest {};

// Forward transform of samples zero-padded to n.
std::vector<TComplex> SpectrumOf(const std::vector<std::int32_t>& samples, std::size_t from,
                                 std::size_t count, std::size_t n) {
    std::vector<long double> data(n, 0);
    for (std::size_t i = 0; i < count; ++i) {
        data[i] = samples[from + i];
    }
    std::vector<TComplex> spectrum(n / 2 + 1);
    FFT(data, spectrum, true);
    return spectrum;
}

// Percent of full scale as the statistics window shows it.
long long Percent(std::int32_t level) {
    return std::llrint(static_cast<long double>(level) / MaxLevel * 100);
}

// --- AnalyzeSpectrum ----------------------------------------------------------------------

TEST_F(AnalysisTest, FragmentOfExactlyNIsTheSpectrumOfThatBlock) {
    const std::uint32_t n = 2048;
    TAudioStream stream(1, 32, 44100);
    const auto tone = BinTone(n + 100, 50, n, 1e8, 0.25);
    WriteChannel(stream, 0, 0, tone);
    std::vector<TComplex> result;
    stream.AnalyzeSpectrum(0, 0, n, result, n);
    EXPECT_EQ(ProgressTotal.load(), 1U);
    const auto expected = SpectrumOf(tone, 0, n, n);
    ASSERT_EQ(result.size(), n / 2 + 1);
    for (std::size_t j = 0; j < result.size(); ++j) {
        ASSERT_EQ(result[j].Re, expected[j].Re) << j;
        ASSERT_EQ(result[j].Im, expected[j].Im) << j;
    }
    EXPECT_NEAR(static_cast<double>(std::hypot(result[50].Re, result[50].Im)), 5e7, 1);
}

TEST_F(AnalysisTest, FragmentOfNPlusOneAveragesAZeroPaddedSecondBlock) {
    const std::uint32_t n = 1024;
    TAudioStream stream(1, 32, 44100);
    const auto tone = BinTone(3 * n, 10, n, 1e8);
    WriteChannel(stream, 0, 0, tone);
    std::vector<TComplex> result;
    stream.AnalyzeSpectrum(0, 5, n + 1, result, n);
    EXPECT_EQ(ProgressTotal.load(), 2U);
    EXPECT_EQ(ProgressPosition.load(), 2U);
    EXPECT_FALSE(Processing.load());
    // The second block holds one sample and n - 1 zeros, not what follows the fragment.
    const auto first = SpectrumOf(tone, 5, n, n);
    const auto second = SpectrumOf(tone, 5 + n, 1, n);
    for (std::size_t j = 0; j <= n / 2; ++j) {
        ASSERT_EQ(result[j].Re, (first[j].Re + second[j].Re) / 2) << j;
        ASSERT_EQ(result[j].Im, (first[j].Im + second[j].Im) / 2) << j;
    }
}

TEST_F(AnalysisTest, SizeTwoGivesDCAndNyquist) {
    TAudioStream stream(1, 32, 8000);
    WriteChannel(stream, 0, 0, {1000, 200, 600, 600});
    std::vector<TComplex> result(7);
    stream.AnalyzeSpectrum(0, 0, 4, result, 2);
    ASSERT_EQ(result.size(), 2U);
    // Blocks (1000, 200) and (600, 600): DC 600 and 600, Nyquist 400 and 0.
    EXPECT_EQ(result[0].Re, 600);
    EXPECT_EQ(result[1].Re, 200);
    EXPECT_EQ(result[0].Im, 0);
}

TEST_F(AnalysisTest, AllChannelsAverageComplexValuesSoOppositeTonesCancel) {
    const std::uint32_t n = 1024;
    const auto tone = BinTone(n, 20, n, 1e8);
    std::vector<std::int32_t> inverted(tone.size());
    for (std::size_t i = 0; i < tone.size(); ++i) {
        inverted[i] = -tone[i];
    }
    TAudioStream stream(2, 32, 44100);
    WriteChannel(stream, 0, 0, tone);
    WriteChannel(stream, 1, 0, inverted);
    std::vector<TComplex> both;
    stream.AnalyzeSpectrum(-1, 0, n, both, n);
    EXPECT_NEAR(static_cast<double>(std::hypot(both[20].Re, both[20].Im)), 0.0, 1e-6);

    WriteChannel(stream, 1, 0, tone);
    stream.AnalyzeSpectrum(-1, 0, n, both, n);
    std::vector<TComplex> one;
    stream.AnalyzeSpectrum(0, 0, n, one, n);
    // Sum of two equal channels halved again: the single channel's spectrum.
    EXPECT_NEAR(static_cast<double>(both[20].Re), static_cast<double>(one[20].Re), 1e-6);
    EXPECT_NEAR(static_cast<double>(both[20].Im), static_cast<double>(one[20].Im), 1e-6);
}

TEST_F(AnalysisTest, SilentFragmentGivesAnAllZeroSpectrum) {
    TAudioStream stream(2, 16, 44100);
    WriteChannel(stream, 0, 0, std::vector<std::int32_t>(5000));
    std::vector<TComplex> result;
    stream.AnalyzeSpectrum(-1, 0, 5000, result, 2048);
    for (const auto& bin : result) {
        ASSERT_EQ(bin.Re, 0);
        ASSERT_EQ(bin.Im, 0);
    }
}

TEST_F(AnalysisTest, SizesThatAreNoPowerOfTwoAreRefused) {
    TAudioStream stream(1, 16, 44100);
    std::vector<TComplex> result;
    for (const std::uint32_t size : {0U, 1U, 3U, 1000U, 1U << 23}) {
        EXPECT_THROW(stream.AnalyzeSpectrum(0, 0, 10, result, size), std::invalid_argument) << size;
    }
    EXPECT_THROW(stream.AnalyzeSpectrum(1, 0, 10, result, 2), std::out_of_range);
}

TEST_F(AnalysisTest, StreamWithoutChannelsAnalysesToZeros) {
    TAudioStream stream(0, 16, 44100);
    std::vector<TComplex> result;
    stream.AnalyzeSpectrum(-1, 0, 100, result, 64);
    ASSERT_EQ(result.size(), 33U);
    EXPECT_EQ(result[0].Re, 0);
    EXPECT_FALSE(std::isnan(result[0].Re));
}

// --- GetStatistics ------------------------------------------------------------------------

TEST_F(AnalysisTest, FullScaleSquareWaveIsAt100PercentForBothLevels) {
    for (const std::uint16_t bits : {16, 24, 32}) {
        TAudioStream stream(2, bits, 44100);
        std::vector<std::int32_t> square(4410);
        for (std::size_t i = 0; i < square.size(); ++i) {
            square[i] = (i / 50) % 2 == 0 ? MaxLevel : -MaxLevel;
        }
        WriteChannel(stream, 0, 0, square);
        WriteChannel(stream, 1, 0, square);
        std::int32_t average = 0;
        std::int32_t peak = 0;
        std::uint32_t silent = 7;
        stream.GetStatistics(-1, 0, 4410, average, peak, silent);
        EXPECT_EQ(Percent(peak), 100) << bits;
        EXPECT_EQ(Percent(average), 100) << bits;
        EXPECT_EQ(silent, 0U) << bits;
    }
}

TEST_F(AnalysisTest, AverageIsTheIntegerMeanOfMagnitudesOverChannels) {
    TAudioStream stream(2, 32, 44100);
    WriteChannel(stream, 0, 0, {10, -20, 30, 0});
    WriteChannel(stream, 1, 0, {0, 0, 0, 0});
    std::int32_t average = 0;
    std::int32_t peak = 0;
    std::uint32_t silent = 0;
    stream.GetStatistics(-1, 0, 4, average, peak, silent);
    EXPECT_EQ(average, 7);  // 60 div 4 = 15, div 2 channels = 7
    EXPECT_EQ(peak, 30);
    EXPECT_EQ(silent, 1U);  // only index 3 is zero on both channels
    stream.GetStatistics(0, 1, 3, average, peak, silent);
    EXPECT_EQ(average, 16);  // 50 div 3
    EXPECT_EQ(peak, 30);
    EXPECT_EQ(silent, 1U);
}

TEST_F(AnalysisTest, OneSilentChannelOfTwoIsNotSilence) {
    TAudioStream stream(2, 16, 44100);
    WriteChannel(stream, 0, 0, BinTone(1000, 3, 100, 1e8));
    WriteChannel(stream, 1, 0, std::vector<std::int32_t>(1000));
    std::int32_t average = 0;
    std::int32_t peak = 0;
    std::uint32_t silent = 0;
    stream.GetStatistics(-1, 0, 1000, average, peak, silent);
    // The tone itself crosses zero now and then; the silent channel adds nothing.
    std::uint32_t toneZeros = 0;
    for (const std::int32_t v : ReadChannel(stream, 0, 0, 1000)) {
        toneZeros += v == 0 ? 1 : 0;
    }
    EXPECT_EQ(silent, toneZeros);
    EXPECT_LT(silent, 100U);
    stream.GetStatistics(1, 0, 1000, average, peak, silent);
    EXPECT_EQ(silent, 1000U);
    EXPECT_EQ(peak, 0);
    EXPECT_EQ(average, 0);
}

TEST_F(AnalysisTest, StatisticsSpanSeveralReadBlocks) {
    // 200,000 samples: more than one block of reading; the peak sits near the end.
    TAudioStream stream(1, 16, 44100);
    std::vector<std::int32_t> samples(200000, 0);
    for (std::size_t i = 0; i < samples.size(); i += 2) {
        samples[i] = 65536 * 100;  // stored 100
    }
    samples[199999] = -65536 * 30000;
    WriteChannel(stream, 0, 0, samples);
    std::int32_t average = 0;
    std::int32_t peak = 0;
    std::uint32_t silent = 0;
    stream.GetStatistics(0, 0, 200000, average, peak, silent);
    std::int64_t sum = 0;
    std::int32_t highest = 0;
    for (const std::int32_t v : ReadChannel(stream, 0, 0, 200000)) {
        sum += std::abs(v);
        highest = std::max(highest, std::abs(v));
    }
    EXPECT_EQ(peak, highest);
    EXPECT_GT(peak, 65536 * 29998);
    EXPECT_EQ(silent, 99999U);
    EXPECT_EQ(average, sum / 200000);
    EXPECT_EQ(ProgressTotal.load(), 200000U);
    EXPECT_EQ(ProgressPosition.load(), 200000U);
    EXPECT_FALSE(Processing.load());
}

TEST_F(AnalysisTest, EmptyFragmentGivesZeros) {
    TAudioStream stream(2, 16, 44100);
    std::int32_t average = -1;
    std::int32_t peak = -1;
    std::uint32_t silent = 9;
    stream.GetStatistics(-1, 0, 0, average, peak, silent);
    EXPECT_EQ(average, 0);
    EXPECT_EQ(peak, 0);
    EXPECT_EQ(silent, 0U);
    EXPECT_FALSE(Processing.load());

    TAudioStream noChannels(0, 16, 44100);
    noChannels.GetStatistics(-1, 0, 0, average, peak, silent);
    EXPECT_EQ(average, 0);
}

}  // namespace
}  // namespace sonavel
