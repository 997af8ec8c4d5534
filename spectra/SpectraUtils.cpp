#include "spectra/SpectraUtils.h"

#include <array>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <stdexcept>
#include <string>

#include "spectra/ExtendedFormat.h"
#include "spectra/FloatFlags.h"

namespace sonavel {

namespace {

// Twiddle factor of one butterfly: the cosine and the negated sine of its angle, each kept
// as the exact sum of two doubles, which loads faster than an extended real (see TSplitCell).
struct TTwiddle {
    double CHi = 0;
    double CLo = 0;
    double DHi = 0;
    double DLo = 0;

    long double C() const { return static_cast<long double>(CHi) + CLo; }
    long double D() const { return static_cast<long double>(DHi) + DLo; }
};

TTwiddle MakeTwiddle(long double c, long double d) {
    const auto cHi = static_cast<double>(c);
    const auto dHi = static_cast<double>(d);
    const TTwiddle t{cHi, static_cast<double>(c - cHi), dHi, static_cast<double>(d - dHi)};
    // Twiddles are 0 or at least about 1e-20 in magnitude, far inside the exact range.
    if (t.C() != c || t.D() != d) {
        throw std::logic_error("FFT: twiddle factor not held exactly");
    }
    return t;
}

// Everything of one size that does not depend on the data: the twiddle factors, stage by
// stage and contiguous (the stage of span S holds C[j*G], D[j*G] for j < S/2 at offset
// N - S), and the bit-reversal permutation.
struct TPlan {
    explicit TPlan(unsigned bits);

    unsigned Bits;
    std::size_t N;
    std::vector<TTwiddle> Forward;
    std::vector<TTwiddle> Inverse;
    std::vector<std::uint32_t> Reverse;
};

std::vector<TTwiddle> StageTables(std::size_t n, long double angle) {
    // The full tables of the transform, evaluated exactly as cos(angle*j/N), -sin(angle*j/N).
    std::vector<TTwiddle> full(n / 2);
    for (std::size_t j = 0; j < n / 2; ++j) {
        const long double a = angle * static_cast<long double>(j) / static_cast<long double>(n);
        full[j] = MakeTwiddle(std::cos(a), -std::sin(a));
    }
    std::vector<TTwiddle> stages(n > 1 ? n - 1 : 0);
    for (std::size_t span = n, groups = 1; span >= 2; span /= 2, groups *= 2) {
        TTwiddle* table = stages.data() + (n - span);
        for (std::size_t j = 0; j < span / 2; ++j) {
            table[j] = full[j * groups];
        }
    }
    return stages;
}

TPlan::TPlan(unsigned bits) : Bits(bits), N(std::size_t{1} << bits) {
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    Forward = StageTables(N, twoPi);
    Inverse = StageTables(N, -twoPi);
    Reverse.resize(N);
    for (std::size_t i = 0; i < N; ++i) {
        Reverse[i] = ReverseBits(static_cast<std::uint32_t>(i), bits);
    }
}

// Sizes up to this are kept for the whole run (about 5 MiB for 2^16); larger ones, which no
// caller repeats, are built per call.
constexpr unsigned MaxCachedBits = 17;
constexpr unsigned MaxBits = 31;

std::shared_ptr<const TPlan> PlanFor(unsigned bits) {
    if (bits > MaxCachedBits) {
        return std::make_shared<const TPlan>(bits);
    }
    static std::mutex lock;
    static std::array<std::shared_ptr<const TPlan>, MaxCachedBits + 1> plans;
    const std::lock_guard guard(lock);
    auto& plan = plans[bits];
    if (!plan) {
        plan = std::make_shared<const TPlan>(bits);
    }
    return plan;
}

// The work array in its plain form: extended reals, one per component.
using TExtendedCell = TComplex;

// The same values kept as exact sums of two doubles, hi = x rounded to double and
// lo = x - hi. Storing an extended real to memory costs several times more than storing two
// doubles, and the butterflies are bound by those stores; the split is exact for every value
// between about 2^-1011 and 2^1024 in magnitude (or zero), and FFT checks the floating-point
// flags afterwards, falling back to TExtendedCell when a value left that range.
using TSplitCell = TFFTWork::TSplitCell;

inline void Load(const TExtendedCell& cell, long double& re, long double& im) {
    re = cell.Re;
    im = cell.Im;
}
inline void Store(TExtendedCell& cell, long double re, long double im) {
    cell = {re, im};
}

inline void Load(const TSplitCell& cell, long double& re, long double& im) {
    re = static_cast<long double>(cell.ReHi) + cell.ReLo;
    im = static_cast<long double>(cell.ImHi) + cell.ImLo;
}
inline void StoreSplit(double& hi, double& lo, long double x) {
#if defined(__GNUC__) && defined(__x86_64__)
    // Rounds into hi, subtracts hi back from memory, stores the exact rest: no round trip
    // through a temporary.
    asm("fstl %0\n\tfsubl %0\n\tfstpl %1" : "=m"(hi), "=m"(lo) : "t"(x) : "st");
#else
    hi = static_cast<double>(x);
    lo = static_cast<double>(x - hi);
#endif
}
inline void Store(TSplitCell& cell, long double re, long double im) {
    StoreSplit(cell.ReHi, cell.ReLo, re);
    StoreSplit(cell.ImHi, cell.ImLo, im);
}

// One stage of butterflies of the given span over w[0..length).
template <class Cell>
void Stage(Cell* w, std::size_t length, std::size_t span, const TTwiddle* twiddles) {
    const std::size_t half = span / 2;
    for (std::size_t group = 0; group < length; group += span) {
        Cell* top = w + group;
        Cell* bottom = top + half;
        for (std::size_t j = 0; j < half; ++j) {
            long double ar = 0;
            long double ai = 0;
            long double br = 0;
            long double bi = 0;
            Load(top[j], ar, ai);
            Load(bottom[j], br, bi);
            Store(top[j], ar + br, ai + bi);
            const long double dr = ar - br;
            const long double di = ai - bi;
            const long double c = twiddles[j].C();
            const long double d = twiddles[j].D();
            Store(bottom[j], c * dr - d * di, d * dr + c * di);
        }
    }
}

// Spans up to this many bins (32 KiB) run breadth-first: they stay in the first-level cache.
constexpr std::size_t LocalSpan = 1024;

// The stages from `span` down to `lastSpan` over w[0..span). After a stage the two halves are
// independent transforms, so large spans recurse half by half to keep the data in cache;
// every butterfly computes the same values in the same way as a stage-by-stage sweep.
template <class Cell>
void Transform(Cell* w, std::size_t span, const TTwiddle* tables, std::size_t n,
               std::size_t lastSpan = 2) {
    if (span <= LocalSpan) {
        for (std::size_t s = span; s >= lastSpan; s /= 2) {
            Stage(w, span, s, tables + (n - s));
        }
        return;
    }
    Stage(w, span, span, tables + (n - span));
    Transform(w, span / 2, tables, n, lastSpan);
    Transform(w + span / 2, span / 2, tables, n, lastSpan);
}

// Loads the work array, runs the stages; the result is left in w in bit-reversed order.
template <class Cell>
void Run(std::vector<Cell>& w, std::span<const long double> data,
         std::span<const TComplex> spectrum, bool forward, const TPlan& plan) {
    const std::size_t n = plan.N;
    w.resize(n);
    if (forward) {
        for (std::size_t i = 0; i < n; ++i) {
            Store(w[i], data[i], 0);
        }
    } else {
        for (std::size_t k = 0; k <= n / 2; ++k) {
            Store(w[k], spectrum[k].Re, spectrum[k].Im);
        }
        for (std::size_t k = n / 2 + 1; k < n; ++k) {
            Store(w[k], spectrum[n - k].Re, -spectrum[n - k].Im);
        }
    }
    Transform(w.data(), n, forward ? plan.Forward.data() : plan.Inverse.data(), n);
}

// The usual path for sizes from FusedMinimum up, with two passes fewer than Run and Unload:
// the first stage reads the caller's block or spectrum itself (the Hermitian completion
// done on the fly), and the last one, whose butterflies are pairs of neighbours, writes
// straight to the bit-reversed places of the result, computing only what is kept there.
//
// The spectral effects mostly avoid this path: TBoundedFFT runs the same network in double
// with proven bounds (the forward transform's in 2-norm, the inverse's per value), which
// decide nearly all samples at 8 and 16 bits. Merging two stages in registers or running
// small stages twiddle by twiddle did not pay here: the x87 stack spills.
constexpr std::size_t FusedMinimum = 8;

template <class Source>
void FirstStage(TSplitCell* w, std::size_t n, const TTwiddle* twiddles, Source source) {
    const std::size_t half = n / 2;
    for (std::size_t j = 0; j < half; ++j) {
        long double ar = 0;
        long double ai = 0;
        long double br = 0;
        long double bi = 0;
        source(j, ar, ai);
        source(j + half, br, bi);
        Store(w[j], ar + br, ai + bi);
        const long double dr = ar - br;
        const long double di = ai - bi;
        const long double c = twiddles[j].C();
        const long double d = twiddles[j].D();
        Store(w[j + half], c * dr - d * di, d * dr + c * di);
    }
}

void RunFused(std::vector<TSplitCell>& work, std::span<long double> data,
              std::span<TComplex> spectrum, bool forward, const TPlan& plan) {
    const std::size_t n = plan.N;
    work.resize(n);
    TSplitCell* w = work.data();
    const TTwiddle* tables = forward ? plan.Forward.data() : plan.Inverse.data();
    if (forward) {
        FirstStage(w, n, tables, [&](std::size_t i, long double& re, long double& im) {
            re = data[i];
            im = 0;
        });
    } else {
        FirstStage(w, n, tables, [&](std::size_t k, long double& re, long double& im) {
            if (k <= n / 2) {
                re = spectrum[k].Re;
                im = spectrum[k].Im;
            } else {
                re = spectrum[n - k].Re;
                im = -spectrum[n - k].Im;
            }
        });
    }
    Transform(w, n / 2, tables, n, 4);
    Transform(w + n / 2, n / 2, tables, n, 4);

    // The last stage: span 2, every butterfly with the twiddle of j = 0.
    const TTwiddle& last = tables[n - 2];
    const long double c = last.C();
    const long double d = last.D();
    const std::uint32_t* reverse = plan.Reverse.data();
    long double ar = 0;
    long double ai = 0;
    long double br = 0;
    long double bi = 0;
    if (forward) {
        // Even places reverse into bins below N/2; of the odd ones only place 1 (bin N/2) is
        // kept.
        const long double scale = 1 / static_cast<long double>(n);
        for (std::size_t m = 0; m < n; m += 2) {
            Load(w[m], ar, ai);
            Load(w[m + 1], br, bi);
            spectrum[reverse[m]] = {(ar + br) * scale, (ai + bi) * scale};
        }
        Load(w[0], ar, ai);
        Load(w[1], br, bi);
        const long double dr = ar - br;
        const long double di = ai - bi;
        spectrum[n / 2] = {(c * dr - d * di) * scale, (d * dr + c * di) * scale};
    } else {
        // Only the real parts are kept.
        for (std::size_t m = 0; m < n; m += 2) {
            Load(w[m], ar, ai);
            Load(w[m + 1], br, bi);
            data[reverse[m]] = ar + br;
            data[reverse[m + 1]] = c * (ar - br) - d * (ai - bi);
        }
    }
}

// Unloads through the bit reversal.
template <class Cell>
void Unload(const std::vector<Cell>& w, std::span<long double> data, std::span<TComplex> spectrum,
            bool forward, const TPlan& plan) {
    const std::size_t n = plan.N;
    const std::uint32_t* reverse = plan.Reverse.data();
    long double re = 0;
    long double im = 0;
    if (forward) {
        // Multiplying by 1/N, a power of two, rounds exactly as dividing by N does.
        const long double scale = 1 / static_cast<long double>(n);
        for (std::size_t k = 0; k <= n / 2; ++k) {
            Load(w[reverse[k]], re, im);
            spectrum[k] = {re * scale, im * scale};
        }
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            Load(w[reverse[i]], re, im);
            data[i] = re;
        }
    }
}

unsigned BitsFor(std::size_t n) {
    unsigned bits = 0;
    while ((std::size_t{1} << bits) < n) {
        ++bits;
    }
    return bits;
}

[[noreturn]] void SizeError(const std::string& what) {
    throw std::invalid_argument("FFT: " + what);
}

}  // namespace

std::uint32_t ReverseBits(std::uint32_t index, unsigned bits) {
    std::uint32_t result = 0;
    std::uint32_t mask = bits > 0 ? std::uint32_t{1} << (bits - 1) : 0;
    std::uint32_t out = 1;
    for (unsigned i = 0; i < bits; ++i) {
        if ((index & mask) != 0) {
            result |= out;
        }
        mask >>= 1;
        out <<= 1;
    }
    return result;
}

void FFT(std::span<long double> data, std::span<TComplex> spectrum, bool forward, TFFTWork& work) {
    std::size_t n = 0;
    if (forward) {
        n = data.size();
        if (n == 0 || (n & (n - 1)) != 0) {
            SizeError("the block length " + std::to_string(n) + " is not a power of two");
        }
        if (spectrum.size() < n / 2 + 1) {
            SizeError("a block of " + std::to_string(n) + " needs " + std::to_string(n / 2 + 1) +
                      " spectrum bins, not " + std::to_string(spectrum.size()));
        }
    } else {
        if (spectrum.empty()) {
            SizeError("empty spectrum");
        }
        n = std::size_t{1} << BitsFor(2 * (spectrum.size() - 1));
        if (spectrum.size() < n / 2 + 1) {
            SizeError("a spectrum of " + std::to_string(spectrum.size()) +
                      " bins is not the half spectrum of a power-of-two block");
        }
        if (data.size() < n) {
            SizeError("the block of " + std::to_string(data.size()) + " cannot hold " +
                      std::to_string(n) + " samples");
        }
    }
    const unsigned bits = BitsFor(n);
    if (bits > MaxBits) {
        SizeError("block too long");
    }
    const std::shared_ptr<const TPlan> plan = PlanFor(bits);

    {
        const TFloatFlags flags;
        if (n >= FusedMinimum) {
            // Writes the result before the flags are known: a rerun below overwrites it.
            RunFused(work.Split, data, spectrum, forward, *plan);
            if (!TFloatFlags::LeftRange()) {
                return;
            }
        } else {
            Run(work.Split, data, spectrum, forward, *plan);
            if (!TFloatFlags::LeftRange()) {
                Unload(work.Split, data, spectrum, forward, *plan);
                return;
            }
        }
    }
    Run(work.Extended, data, spectrum, forward, *plan);
    Unload(work.Extended, data, spectrum, forward, *plan);
    work.Extended = {};  // rare: not worth keeping
}

void FFT(std::span<long double> data, std::span<TComplex> spectrum, bool forward) {
    TFFTWork work;
    FFT(data, spectrum, forward, work);
}

}  // namespace sonavel
