#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "spectra/BoundedButterflies.h"
#include "spectra/BoundedFFT.h"
#include "spectra/SpectraUtils.h"

#if __has_include(<quadmath.h>)
#include <quadmath.h>
#endif

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

// FFT's steps for one block: forward, plan, inverse.
std::vector<long double> ExtendedSteps(const std::vector<std::int32_t>& samples,
                                       const TBinPlan& plan) {
    const std::size_t n = samples.size();
    std::vector<long double> block(samples.begin(), samples.end());
    std::vector<TComplex> spectrum(n / 2 + 1);
    FFT(block, spectrum, true);
    ApplyPlan(spectrum, plan);
    FFT(block, spectrum, false);
    return block;
}

TEST(BoundedFFTTest, EveryResultLiesWithinItsBoundOfTheExtendedSteps) {
    // Single blocks and pairs, through plans that keep every bin, scale by factors that
    // round, zero, move, and move other bins into both end bins (which a pair must keep
    // from crossing into the other block).
    for (const std::uint32_t n : {2U, 4U, 8U, 1024U, 8192U, 65536U}) {
        TBoundedFFT bounded(n);
        std::vector<std::pair<std::string, TBinPlan>> plans;
        plans.emplace_back("identity", TBinPlan(n / 2 + 1));
        TBinPlan mixed =
            EqualizePlan(n / 2 + 1, std::vector<std::uint8_t>{137, 0, 255, 100}, 0, n / 2 + 1);
        if (n >= 8) {
            mixed.Take(n / 2, 1, 1.37L);
            mixed.Take(n / 2 - 1, 2);
            mixed.Take(0, 3, 0.61L);
        }
        plans.emplace_back("mixed", mixed);
        const auto signals = Signals();
        for (std::size_t s = 0; s < signals.size(); ++s) {
            std::vector<std::int32_t> a(n);
            std::vector<std::int32_t> b(n);
            const auto& other = signals[(s + 1) % signals.size()];
            for (std::uint32_t i = 0; i < n; ++i) {
                a[i] = signals[s].second(i);
                b[i] = other.second(n - 1 - i);
            }
            for (const auto& [planName, plan] : plans) {
                for (const bool pair : {false, true}) {
                    const std::string where = signals[s].first +
                                              (pair ? " with " + other.first : "") + ", " +
                                              planName + " plan at N = " + std::to_string(n);
                    ASSERT_TRUE(bounded.Run(
                        a,
                        pair ? std::span<const std::int32_t>(b) : std::span<const std::int32_t>(),
                        plan, PlanGain(plan, pair)))
                        << where;
                    const std::vector<long double> exactA = ExtendedSteps(a, plan);
                    const std::vector<long double> exactB = ExtendedSteps(b, plan);
                    const auto reverse = bounded.Reverse();
                    for (std::uint32_t i = 0; i < n; ++i) {
                        const double bound = bounded.Bounds()[reverse[i]] + bounded.UniformBound();
                        ASSERT_LE(std::fabs(bounded.RealParts()[reverse[i]] - exactA[i]), bound)
                            << where << ", sample " << i;
                        if (pair) {
                            ASSERT_LE(std::fabs(bounded.ImagParts()[reverse[i]] - exactB[i]), bound)
                                << where << ", second block's sample " << i;
                        }
                        // Useful, not merely safe: far below one level.
                        EXPECT_LT(bound, 0.05) << where << ", sample " << i;
                    }
                }
            }
        }
    }
}

TEST(BoundedFFTTest, PlanGainCountsFactorsAndBinsReadTwice) {
    // N = 8. Alone, a block's mirror half reads the same bins again (conjugated); a pair's
    // reads the mirrored ones, and an end bin planned from another reads that bin and its
    // mirror, each with half the factor.
    struct TCase {
        const char* Name;
        std::function<void(TBinPlan&)> Change;
        double Alone;
        double Pair;
    };
    const std::vector<TCase> cases = {
        {"every bin once, factor 1", [](TBinPlan&) {}, std::sqrt(2.0), 1},
        {"factor 3 on bin 1", [](TBinPlan& p) { p.Take(1, 1, 3); }, std::sqrt(2 * 24 / 8.0),
         std::sqrt(24 / 8.0)},
        {"bin 1 read twice", [](TBinPlan& p) { p.Take(3, 1); }, 2, std::sqrt(2.0)},
        {"two bins cleared", [](TBinPlan& p) { p.Clear(1), p.Clear(3); }, std::sqrt(2 * 4 / 8.0),
         std::sqrt(4 / 8.0)},
        {"the first bin from bin 2", [](TBinPlan& p) { p.Take(0, 2, 2); },
         std::sqrt(3 * (4 + 7) / 8.0), std::sqrt(2 * (2 + 7) / 8.0)},
    };
    for (const TCase& c : cases) {
        TBinPlan plan(5);
        c.Change(plan);
        EXPECT_NEAR(PlanGain(plan, false), c.Alone, 0.01) << c.Name;
        EXPECT_NEAR(PlanGain(plan, true), c.Pair, 0.01) << c.Name;
    }
}

#if __has_include(<quadmath.h>)
TEST(BoundedFFTTest, FFTsTwiddleFactorsLieWithin12ExtendedUlpsOfTheTrueOnes) {
    // The bounds rely on it: FFT computes cos and -sin of angle * j / N in extended
    // precision; here against the same angle taken exactly, in quadruple precision.
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    const __float128 trueTwoPi = 2 * acosq(-1);
    const auto limit = static_cast<__float128>(12 * 0x1p-64L);
    std::mt19937 random(3);
    for (const unsigned bits : {4U, 16U, 31U}) {
        const std::uint64_t n = std::uint64_t{1} << bits;
        const std::uint64_t count = std::min<std::uint64_t>(n / 2, 100000);
        for (std::uint64_t t = 0; t < count; ++t) {
            const std::uint64_t j = count == n / 2 ? t : random() % (n / 2);
            const long double a = twoPi * static_cast<long double>(j) / static_cast<long double>(n);
            const __float128 exact = trueTwoPi * static_cast<__float128>(j) / n;
            const __float128 dc = static_cast<__float128>(std::cos(a)) - cosq(exact);
            const __float128 ds = static_cast<__float128>(-std::sin(a)) + sinq(exact);
            ASSERT_LT(dc * dc + ds * ds, limit * limit) << "N = 2^" << bits << ", j = " << j;
        }
    }
}
#endif

TEST(BoundedFFTTest, VectorAndPlainButterfliesAgreeWithinTheirBounds) {
    // Both are within their bounds of the same extended values, so within the sum of the
    // bounds of each other; random values, bounds and unit twiddles of every stage. Without
    // the bounds, the values are the same.
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
        std::vector<double> re3 = re;
        std::vector<double> im3 = im;
        bounded::Transform({re.data(), im.data(), err.data()}, n, c.data(), d.data());
        bounded::TransformPlain({re2.data(), im2.data(), err2.data()}, n, c.data(), d.data());
        bounded::TransformValues(re3.data(), im3.data(), n, c.data(), d.data());
        EXPECT_EQ(re3, re) << "N = " << n;  // the values alone are the same to the bit
        EXPECT_EQ(im3, im) << "N = " << n;
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_LE(std::hypot(re[i] - re2[i], im[i] - im2[i]), err[i] + err2[i])
                << "N = " << n << ", value " << i;
        }
    }
}

TEST(BoundedFFTTest, KeepsTheCallersFlagsAndRefusesSizesThatDoNotFit) {
    TBoundedFFT bounded(16);
    const std::vector<std::int32_t> samples(16, Full);
    const TBinPlan plan(9);
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(FE_DIVBYZERO);
    EXPECT_TRUE(bounded.Run(samples, {}, plan, PlanGain(plan, false)));
    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
    std::feclearexcept(FE_ALL_EXCEPT);

    EXPECT_THROW(TBoundedFFT(0), std::invalid_argument);
    EXPECT_THROW(TBoundedFFT(12), std::invalid_argument);
    const std::vector<std::int32_t> shorter(8);
    EXPECT_THROW(bounded.Run(shorter, {}, plan, 1), std::invalid_argument);
    EXPECT_THROW(bounded.Run(samples, shorter, plan, 1), std::invalid_argument);
    EXPECT_THROW(bounded.Run(samples, {}, TBinPlan(5), 1), std::invalid_argument);
    EXPECT_THROW(PlanGain(TBinPlan(1), false), std::invalid_argument);
}

TEST(BoundedFFTTest, ValuesOutOfRangeAreReportedNotTrusted) {
    // A factor of 1e300 overflows in the inverse: the bounds no longer hold; one of 1e-320
    // underflows.
    TBoundedFFT bounded(8);
    const std::vector<std::int32_t> samples{Full, 3, -Full, 7, 0, 1, 2, 3};
    for (const long double factor : {1e300L, 1e-320L}) {
        TBinPlan plan(5);
        plan.Take(1, 1, factor);
        EXPECT_FALSE(bounded.Run(samples, {}, plan, PlanGain(plan, false)))
            << static_cast<double>(factor);
    }
}

}  // namespace
}  // namespace sonavel
