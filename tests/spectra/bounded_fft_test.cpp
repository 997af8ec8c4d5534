#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "spectra/BoundedButterflies.h"
#include "spectra/BoundedFFT.h"
#include "spectra/SpectraUtils.h"

namespace sonavel {
namespace {

constexpr std::int32_t Full = 2147483647;

// Blocks that push the bounds: random full scale, a full-scale square wave (the largest
// sums), a single impulse, silence, and a tone between bins.
std::vector<std::pair<std::string, std::function<std::int32_t(std::uint32_t)>>> Signals() {
    auto random = std::make_shared<std::mt19937>(5);
    return {
        {"random",
         [random](std::uint32_t) {
             return std::uniform_int_distribution<std::int32_t>(-Full, Full)(*random);
         }},
        {"square", [](std::uint32_t i) { return (i / 3) % 2 == 0 ? Full : -Full; }},
        {"impulse", [](std::uint32_t i) { return i == 1 ? Full : 0; }},
        {"silence", [](std::uint32_t) { return 0; }},
        {"tone",
         [](std::uint32_t i) {
             return static_cast<std::int32_t>(std::lrint(1.5e9 * std::sin(0.0123 * i)));
         }},
    };
}

// |a - b| for complex numbers, in extended precision.
long double Distance(long double ar, long double ai, long double br, long double bi) {
    return std::hypot(ar - br, ai - bi);
}

TEST(BoundedFFTTest, EveryValueLiesWithinItsBoundOfTheExtendedOne) {
    // Forward on integer blocks, then a plan over both spectra, then the inverse.
    for (const std::uint32_t n : {2U, 4U, 8U, 1024U, 8192U, 65536U}) {
        TBoundedFFT bounded(n);
        for (const auto& [name, signal] : Signals()) {
            const std::string where = name + " at N = " + std::to_string(n);
            std::vector<std::int32_t> samples(n);
            std::vector<long double> block(n);
            for (std::uint32_t i = 0; i < n; ++i) {
                samples[i] = signal(i);
                block[i] = samples[i];
            }
            std::vector<TComplex> exact(n / 2 + 1);
            FFT(block, exact, true);
            TBoundedSpectrum spectrum;
            ASSERT_TRUE(bounded.Forward(samples, spectrum)) << where;
            long double widest = 0;
            for (std::uint32_t k = 0; k <= n / 2; ++k) {
                ASSERT_LE(Distance(spectrum.Re[k], spectrum.Im[k], exact[k].Re, exact[k].Im),
                          spectrum.Bound[k])
                    << where << ", bin " << k;
                widest = std::max<long double>(widest, spectrum.Bound[k]);
            }
            // Useful, not merely safe: far below one level.
            EXPECT_LT(widest, 1e-3) << where;

            // A plan that scales by factors that round (1.37, 2.55), zeroes, and moves.
            TBinPlan plan =
                EqualizePlan(n / 2 + 1, std::vector<std::uint8_t>{137, 0, 255, 100}, 0, n / 2 + 1);
            if (n >= 8) {
                plan.Take(n / 2, 1, 1.37L);
                plan.Take(n / 2 - 1, 2);
            }
            const std::vector<TComplex> before = exact;
            ApplyPlan(before, exact, plan);
            TBoundedSpectrum changed;
            ASSERT_TRUE(ApplyPlan(spectrum, changed, plan)) << where;
            spectrum = changed;
            FFT(block, exact, false);
            std::vector<double> data(n);
            std::vector<double> bound(n);
            ASSERT_TRUE(bounded.Inverse(spectrum, data, bound)) << where;
            for (std::uint32_t i = 0; i < n; ++i) {
                ASSERT_LE(std::fabs(data[i] - block[i]), bound[i]) << where << ", sample " << i;
                EXPECT_LT(bound[i], 1.0) << where << ", sample " << i;
            }
        }
    }
}

TEST(BoundedFFTTest, VectorAndPlainButterfliesAgreeWithinTheirBounds) {
    // Both are within their bounds of the same extended values, so within the sum of the
    // bounds of each other; random values, bounds and unit twiddles of every stage.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-1e9, 1e9);
    std::uniform_real_distribution<double> angle(0, 6.283185307179586);
    for (const std::size_t n : {2U, 4U, 16U, 64U, 2048U, 8192U}) {
        std::vector<double> c(n);
        std::vector<double> d(n);
        for (std::size_t j = 0; j < n; ++j) {
            const double a = angle(random);
            c[j] = std::cos(a);
            d[j] = -std::sin(a);
        }
        std::vector<double> re(n);
        std::vector<double> im(n);
        std::vector<double> err(n);
        for (std::size_t i = 0; i < n; ++i) {
            re[i] = value(random);
            im[i] = value(random);
            err[i] = std::fabs(value(random)) * 1e-12;
        }
        std::vector<double> re2 = re;
        std::vector<double> im2 = im;
        std::vector<double> err2 = err;
        bounded::Transform({re.data(), im.data(), err.data()}, n, c.data(), d.data());
        bounded::TransformPlain({re2.data(), im2.data(), err2.data()}, n, c.data(), d.data());
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_LE(std::hypot(re[i] - re2[i], im[i] - im2[i]), err[i] + err2[i])
                << "N = " << n << ", value " << i;
        }
    }
}

TEST(BoundedFFTTest, KeepsTheCallersFlagsAndRefusesSizesThatDoNotFit) {
    TBoundedFFT bounded(16);
    std::vector<std::int32_t> samples(16, Full);
    TBoundedSpectrum spectrum;
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    EXPECT_TRUE(bounded.Forward(samples, spectrum));
    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
    std::feclearexcept(FE_ALL_EXCEPT);

    EXPECT_THROW(TBoundedFFT(0), std::invalid_argument);
    EXPECT_THROW(TBoundedFFT(12), std::invalid_argument);
    EXPECT_THROW(bounded.Forward(std::vector<std::int32_t>(8), spectrum), std::invalid_argument);
    std::vector<double> data(8);
    EXPECT_THROW(bounded.Inverse(spectrum, data, data), std::invalid_argument);
}

TEST(BoundedFFTTest, ValuesOutOfRangeAreReportedNotTrusted) {
    // Bins of 1e308 overflow in the butterflies: the bounds no longer hold.
    TBoundedFFT bounded(8);
    TBoundedSpectrum spectrum{std::vector<double>(5, 1e308), std::vector<double>(5, 1e308),
                              std::vector<double>(5, 0)};
    std::vector<double> data(8);
    std::vector<double> bound(8);
    EXPECT_FALSE(bounded.Inverse(spectrum, data, bound));
    // And one of 1e-310 underflows.
    spectrum = {std::vector<double>(5, 1e-310), std::vector<double>(5, 0),
                std::vector<double>(5, 0)};
    EXPECT_FALSE(bounded.Inverse(spectrum, data, bound));
}

}  // namespace
}  // namespace sonavel
