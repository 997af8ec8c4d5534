#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

#include "spectra/SpectraUtils.h"

namespace sonavel {
namespace {

using Block = std::vector<long double>;
using Spectrum = std::vector<TComplex>;

// The transform written out step by step in its plainest form: per-call twiddle tables read
// with stride G, a scratch array per stage, ReverseBits on unloading. The fast transform must
// give the very same numbers.
void StepByStepFFT(Block& data, Spectrum& spectrum, bool forward) {
    std::size_t n = 1;
    unsigned bits = 0;
    const std::size_t bound = forward ? data.size() : 2 * (spectrum.size() - 1);
    while (n < bound) {
        n *= 2;
        ++bits;
    }
    Spectrum w(n);
    Spectrum scratch(n);
    if (forward) {
        for (std::size_t i = 0; i < n; ++i) {
            w[i] = {data[i], 0};
        }
    } else {
        for (std::size_t k = 0; k <= n / 2; ++k) {
            w[k] = spectrum[k];
        }
        for (std::size_t k = n / 2 + 1; k < n; ++k) {
            w[k] = {w[n - k].Re, -w[n - k].Im};
        }
    }
    const long double angle = (forward ? 2 : -2) * std::numbers::pi_v<long double>;
    Block c(n / 2);
    Block d(n / 2);
    for (std::size_t j = 0; j < n / 2; ++j) {
        c[j] = std::cos(angle * static_cast<long double>(j) / static_cast<long double>(n));
        d[j] = -std::sin(angle * static_cast<long double>(j) / static_cast<long double>(n));
    }
    for (std::size_t groups = 1; groups < n; groups *= 2) {
        const std::size_t span = n / groups;
        for (std::size_t g = 0; g < groups; ++g) {
            for (std::size_t j = 0; j < span / 2; ++j) {
                const std::size_t h = g * span + j;
                const std::size_t t = h + span / 2;
                const long double cj = c[j * groups];
                const long double dj = d[j * groups];
                scratch[h] = {w[h].Re + w[t].Re, w[h].Im + w[t].Im};
                const TComplex delta{w[h].Re - w[t].Re, w[h].Im - w[t].Im};
                scratch[t] = {cj * delta.Re - dj * delta.Im, dj * delta.Re + cj * delta.Im};
                w[h] = scratch[h];
                w[t] = scratch[t];
            }
        }
    }
    if (forward) {
        for (std::size_t k = 0; k <= n / 2; ++k) {
            const TComplex& x = w[ReverseBits(static_cast<std::uint32_t>(k), bits)];
            spectrum[k] = {x.Re / static_cast<long double>(n), x.Im / static_cast<long double>(n)};
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            data[i] = w[ReverseBits(static_cast<std::uint32_t>(i), bits)].Re;
        }
    }
}

Block RandomBlock(std::size_t n, std::uint32_t seed, long double scale = 2147483647.0L) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    Block block(n);
    for (auto& x : block) {
        x = std::round(uniform(random) * scale);
    }
    return block;
}

// Equal values, where -0 equals +0 and NaN equals NaN.
bool Same(long double a, long double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

void ExpectSameSpectra(const Spectrum& a, const Spectrum& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t k = 0; k < a.size(); ++k) {
        ASSERT_TRUE(Same(a[k].Re, b[k].Re) && Same(a[k].Im, b[k].Im))
            << "bin " << k << ": " << a[k].Re << "," << a[k].Im << " vs " << b[k].Re << ","
            << b[k].Im;
    }
}

void ExpectSameBlocks(const Block& a, const Block& b) {
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_TRUE(Same(a[i], b[i])) << "sample " << i << ": " << a[i] << " vs " << b[i];
    }
}

// Forward and inverse transforms of `block` by FFT and by the step-by-step form agree bit
// for bit.
void ExpectStepByStep(const Block& block) {
    const std::size_t n = block.size();
    Block data = block;
    Block reference = block;
    Spectrum fast(n / 2 + 1);
    Spectrum slow(n / 2 + 1);
    FFT(data, fast, true);
    StepByStepFFT(reference, slow, true);
    ExpectSameSpectra(fast, slow);
    FFT(data, fast, false);
    StepByStepFFT(reference, slow, false);
    ExpectSameBlocks(data, reference);
}

TEST(FFTTest, BlockOf1024GivesHalfSpectrumOf513AndLeavesFurtherBinsAlone) {
    Block data = RandomBlock(1024, 1);
    Spectrum spectrum(600, TComplex{7, 7});
    FFT(data, spectrum, true);
    for (std::size_t k = 513; k < spectrum.size(); ++k) {
        EXPECT_EQ(spectrum[k].Re, 7);
        EXPECT_EQ(spectrum[k].Im, 7);
    }
    EXPECT_NE(spectrum[512].Re, 7);
}

TEST(FFTTest, InverseOf513BinsWritesExactly1024Samples) {
    Spectrum spectrum(513);
    spectrum[3] = {1, 0};
    Block data(1100, 5);
    FFT(data, spectrum, false);
    // Bin 3 with its mirror: 2 cos(2 pi 3 n / 1024).
    EXPECT_NEAR(static_cast<double>(data[0]), 2.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(data[1023]),
                2 * std::cos(2 * std::numbers::pi * 3 * 1023 / 1024), 1e-15);
    for (std::size_t i = 1024; i < data.size(); ++i) {
        EXPECT_EQ(data[i], 5);
    }
}

TEST(FFTTest, ConstantBlockHasOnlyDC) {
    for (const std::size_t n : {1, 2, 8, 4096}) {
        Block data(n, -12345);
        Spectrum spectrum(n / 2 + 1, TComplex{9, 9});
        FFT(data, spectrum, true);
        EXPECT_EQ(spectrum[0].Re, -12345) << n;
        EXPECT_EQ(spectrum[0].Im, 0) << n;
        for (std::size_t k = 1; k <= n / 2; ++k) {
            EXPECT_EQ(spectrum[k].Re, 0) << n << " bin " << k;
            EXPECT_EQ(spectrum[k].Im, 0) << n << " bin " << k;
        }
    }
}

TEST(FFTTest, AlternatingBlockIsNyquistBinOfOne) {
    for (const std::size_t n : {2, 16, 65536}) {
        Block data(n);
        for (std::size_t i = 0; i < n; ++i) {
            data[i] = i % 2 == 0 ? 1 : -1;
        }
        Spectrum spectrum(n / 2 + 1);
        FFT(data, spectrum, true);
        EXPECT_NEAR(static_cast<double>(spectrum[n / 2].Re), 1.0, 1e-17) << n;
        EXPECT_NEAR(static_cast<double>(spectrum[n / 2].Im), 0.0, 1e-17) << n;
        EXPECT_NEAR(static_cast<double>(spectrum[0].Re), 0.0, 1e-17) << n;
    }
}

TEST(FFTTest, SinusoidOnABinHasHalfItsAmplitudeThere) {
    const std::size_t n = 4096;
    const long double amplitude = 1e9L;
    for (const std::size_t k : {1, 37, 2047}) {
        Block data(n);
        for (std::size_t i = 0; i < n; ++i) {
            data[i] = amplitude * std::sin(2 * std::numbers::pi_v<long double> *
                                               static_cast<long double>(k * i % n) / n +
                                           0.3L);
        }
        Spectrum spectrum(n / 2 + 1);
        FFT(data, spectrum, true);
        EXPECT_NEAR(static_cast<double>(std::hypot(spectrum[k].Re, spectrum[k].Im)),
                    static_cast<double>(amplitude / 2), 1e-6);
        EXPECT_NEAR(static_cast<double>(std::hypot(spectrum[k + 1].Re, spectrum[k + 1].Im)), 0.0,
                    1e-6);
    }
}

TEST(FFTTest, ForwardThenInverseGivesTheBlockBack) {
    for (unsigned bits = 0; bits <= 16; ++bits) {
        const std::size_t n = std::size_t{1} << bits;
        const Block original = RandomBlock(n, bits);
        Block data = original;
        Spectrum spectrum(n / 2 + 1);
        FFT(data, spectrum, true);
        FFT(data, spectrum, false);
        long double worst = 0;
        for (std::size_t i = 0; i < n; ++i) {
            worst = std::max(worst, std::fabs(data[i] - original[i]));
        }
        // Extended precision: about 1e-19 relative per operation.
        EXPECT_LT(worst, 2147483647.0L * 1e-15L) << "N = " << n;
    }
}

TEST(FFTTest, AgreesWithTheDefiningSumsForSmallSizes) {
    for (const std::size_t n : {1, 2, 4, 8, 16, 32, 64}) {
        const Block data = RandomBlock(n, static_cast<std::uint32_t>(100 + n), 1000);
        Block copy = data;
        Spectrum spectrum(n / 2 + 1);
        FFT(copy, spectrum, true);
        const long double twoPi = 2 * std::numbers::pi_v<long double>;
        for (std::size_t k = 0; k <= n / 2; ++k) {
            long double re = 0;
            long double im = 0;
            for (std::size_t i = 0; i < n; ++i) {
                const long double a = twoPi * static_cast<long double>(i * k % n) / n;
                re += data[i] * std::cos(a);
                im -= data[i] * std::sin(a);
            }
            EXPECT_NEAR(static_cast<double>(spectrum[k].Re), static_cast<double>(re / n), 1e-12)
                << n << " bin " << k;
            EXPECT_NEAR(static_cast<double>(spectrum[k].Im), static_cast<double>(im / n), 1e-12)
                << n << " bin " << k;
        }
        // Inverse: the real part of the full sum over the conjugate-completed spectrum.
        Spectrum bins(n / 2 + 1);
        for (std::size_t k = 0; k <= n / 2; ++k) {
            bins[k] = {data[k % n], data[(k + 1) % n]};
        }
        Block out(n);
        Spectrum given = bins;
        FFT(out, given, false);
        for (std::size_t i = 0; i < n; ++i) {
            long double sum = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const TComplex x = k <= n / 2 ? bins[k] : TComplex{bins[n - k].Re, -bins[n - k].Im};
                const long double a = twoPi * static_cast<long double>(i * k % n) / n;
                sum += x.Re * std::cos(a) - x.Im * std::sin(a);
            }
            EXPECT_NEAR(static_cast<double>(out[i]), static_cast<double>(sum), 1e-9)
                << n << " sample " << i;
        }
    }
}

TEST(FFTTest, InverseIgnoresImaginaryPartsOfDCAndNyquist) {
    const std::size_t n = 64;
    Spectrum spectrum(n / 2 + 1);
    spectrum[0] = {3, 0};
    spectrum[n / 2] = {1, 0};
    Block plain(n);
    FFT(plain, spectrum, false);
    spectrum[0].Im = 1e6;
    spectrum[n / 2].Im = -1e6;
    Block withImaginary(n);
    FFT(withImaginary, spectrum, false);
    for (std::size_t i = 0; i < n; ++i) {
        EXPECT_NEAR(static_cast<double>(withImaginary[i]), static_cast<double>(plain[i]), 1e-9);
    }
}

TEST(FFTTest, GivesTheStepByStepNumbersBitForBit) {
    for (unsigned bits = 0; bits <= 12; ++bits) {
        ExpectStepByStep(RandomBlock(std::size_t{1} << bits, 7 * bits + 1));
    }
    ExpectStepByStep(RandomBlock(65536, 99));
    // Sparse blocks exercise exact zeros and tiny products of near-zero twiddles.
    Block impulse(1024);
    impulse[5] = 1;
    ExpectStepByStep(impulse);
}

TEST(FFTTest, ValuesOutsideTheDoubleRangeStillGiveTheStepByStepNumbers) {
    Block huge = RandomBlock(256, 3);
    huge[17] = 1e400L;
    huge[200] = -3e390L;
    ExpectStepByStep(huge);

    Block tiny(256);
    tiny[1] = 1e-4000L;
    tiny[100] = 5e-320L;
    tiny[101] = 1;
    ExpectStepByStep(tiny);

    Block infinite = RandomBlock(64, 4);
    infinite[3] = std::numeric_limits<long double>::infinity();
    ExpectStepByStep(infinite);
}

TEST(FFTTest, LeavesTheCallersFloatingPointFlagsAsTheyWere) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    Block data = RandomBlock(4096, 8);
    Spectrum spectrum(2049);
    FFT(data, spectrum, true);
    FFT(data, spectrum, false);
    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
    EXPECT_EQ(std::fetestexcept(FE_UNDERFLOW | FE_OVERFLOW | FE_INVALID), 0);
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(FFTTest, SizesThatDoNotFitAreRefused) {
    Spectrum spectrum(600);
    Block empty;
    EXPECT_THROW(FFT(empty, spectrum, true), std::invalid_argument);
    Block notPowerOfTwo(1000);
    EXPECT_THROW(FFT(notPowerOfTwo, spectrum, true), std::invalid_argument);
    Block block(1024);
    Spectrum short512(512);
    EXPECT_THROW(FFT(block, short512, true), std::invalid_argument);

    Spectrum none;
    EXPECT_THROW(FFT(block, none, false), std::invalid_argument);
    Spectrum four(4);  // 2 * 3 = 6 rounds up to 8, which needs 5 bins
    EXPECT_THROW(FFT(block, four, false), std::invalid_argument);
    Block shortBlock(1000);
    Spectrum bins513(513);
    EXPECT_THROW(FFT(shortBlock, bins513, false), std::invalid_argument);
}

TEST(FFTTest, SingleBinSpectrumIsABlockOfOne) {
    Spectrum spectrum{{4.5L, 2}};
    Block data(1);
    FFT(data, spectrum, false);
    EXPECT_EQ(data[0], 4.5L);
}

TEST(FFTTest, ConcurrentTransformsOfDifferentSizesAgreeWithSerialOnes) {
    const std::vector<std::size_t> sizes{256, 512, 2048, 8192};
    std::vector<Spectrum> serial;
    for (const std::size_t n : sizes) {
        Block data = RandomBlock(n, static_cast<std::uint32_t>(n));
        serial.emplace_back(n / 2 + 1);
        FFT(data, serial.back(), true);
    }
    std::vector<Spectrum> parallel(sizes.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < sizes.size(); ++t) {
        threads.emplace_back([&, t] {
            TFFTWork work;
            for (int round = 0; round < 20; ++round) {
                Block data = RandomBlock(sizes[t], static_cast<std::uint32_t>(sizes[t]));
                parallel[t].assign(sizes[t] / 2 + 1, TComplex{});
                FFT(data, parallel[t], true, work);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (std::size_t t = 0; t < sizes.size(); ++t) {
        ExpectSameSpectra(parallel[t], serial[t]);
    }
}

TEST(FFTTest, ReverseBitsMirrorsTheLowBits) {
    EXPECT_EQ(ReverseBits(0, 0), 0U);
    EXPECT_EQ(ReverseBits(1, 3), 4U);
    EXPECT_EQ(ReverseBits(3, 3), 6U);
    EXPECT_EQ(ReverseBits(6, 3), 3U);
    EXPECT_EQ(ReverseBits(1, 16), 32768U);
    EXPECT_EQ(ReverseBits(0x8001, 16), 0x8001U);
    EXPECT_EQ(ReverseBits(0x12345, 20), 0xA2C48U);
}

}  // namespace
}  // namespace sonavel
