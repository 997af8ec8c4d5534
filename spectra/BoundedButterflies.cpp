#include "spectra/BoundedButterflies.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sonavel::bounded {

namespace {

// Spans up to this many values run chunk by chunk, the chunk staying in the first caches.
constexpr std::size_t LocalSpan = 1024;

// One butterfly: a, b (with their bounds) become a + b and (a - b) times the twiddle c + id.
[[gnu::always_inline]] inline void Butterfly(double& ar, double& ai, double& ae, double& br,
                                             double& bi, double& be, double c, double d) {
    const double sr = ar + br;
    const double si = ai + bi;
    const double dr = ar - br;
    const double di = ai - bi;
    const double carried = (ae + be) * Grow;
    ar = sr;
    ai = si;
    ae = carried + SumError * Modulus(sr, si);
    br = c * dr - d * di;
    bi = d * dr + c * di;
    be = carried + TwiddledError * Modulus(dr, di);
}

// The butterflies of one group, top[j] with bottom[j] for j < half, one at a time.
struct TPlainGroup {
    static void Run(double* __restrict r0, double* __restrict i0, double* __restrict e0,
                    double* __restrict r1, double* __restrict i1, double* __restrict e1,
                    std::size_t half, const double* __restrict c, const double* __restrict d) {
        for (std::size_t j = 0; j < half; ++j) {
            Butterfly(r0[j], i0[j], e0[j], r1[j], i1[j], e1[j], c[j], d[j]);
        }
    }
    // The last two stages have no faster form here.
    static bool LastTwo(TArrays /*w*/, std::size_t /*length*/, const double* /*c4*/,
                        const double* /*d4*/, const double* /*c2*/, const double* /*d2*/) {
        return false;
    }
};

#if defined(__GNUC__) && defined(__x86_64__)
// Butterfly on four lanes at once. A fused multiply-add rounds once where the plain code
// rounds twice; the bounds hold either way.
struct TLanes {
    __m256d Re;
    __m256d Im;
    __m256d Err;
};

// Modulus() on four lanes.
[[gnu::target("avx2,fma"), gnu::always_inline]] inline __m256d Modulus4(__m256d re, __m256d im) {
    const __m256d magnitude = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7fffffffffffffff));
    const __m256d a = _mm256_and_pd(re, magnitude);
    const __m256d b = _mm256_and_pd(im, magnitude);
    return _mm256_fmadd_pd(_mm256_set1_pd(SqrtTwoLessOne), _mm256_min_pd(a, b),
                           _mm256_max_pd(a, b));
}

[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Butterfly4(TLanes& a, TLanes& b,
                                                                       __m256d c, __m256d d) {
    const __m256d sr = _mm256_add_pd(a.Re, b.Re);
    const __m256d si = _mm256_add_pd(a.Im, b.Im);
    const __m256d dr = _mm256_sub_pd(a.Re, b.Re);
    const __m256d di = _mm256_sub_pd(a.Im, b.Im);
    const __m256d carried = _mm256_mul_pd(_mm256_add_pd(a.Err, b.Err), _mm256_set1_pd(Grow));
    a.Re = sr;
    a.Im = si;
    a.Err = _mm256_fmadd_pd(_mm256_set1_pd(SumError), Modulus4(sr, si), carried);
    b.Re = _mm256_fmsub_pd(c, dr, _mm256_mul_pd(d, di));
    b.Im = _mm256_fmadd_pd(d, dr, _mm256_mul_pd(c, di));
    b.Err = _mm256_fmadd_pd(_mm256_set1_pd(TwiddledError), Modulus4(dr, di), carried);
}

// Rows of four become columns of four.
[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Transpose(__m256d& x0, __m256d& x1,
                                                                      __m256d& x2, __m256d& x3) {
    const __m256d t0 = _mm256_unpacklo_pd(x0, x1);
    const __m256d t1 = _mm256_unpackhi_pd(x0, x1);
    const __m256d t2 = _mm256_unpacklo_pd(x2, x3);
    const __m256d t3 = _mm256_unpackhi_pd(x2, x3);
    x0 = _mm256_permute2f128_pd(t0, t2, 0x20);
    x1 = _mm256_permute2f128_pd(t1, t3, 0x20);
    x2 = _mm256_permute2f128_pd(t0, t2, 0x31);
    x3 = _mm256_permute2f128_pd(t1, t3, 0x31);
}

struct TAvx2Group {
    [[gnu::target("avx2,fma")]] static void Run(double* r0, double* i0, double* e0, double* r1,
                                                double* i1, double* e1, std::size_t half,
                                                const double* c, const double* d) {
        if (half < 4) {
            TPlainGroup::Run(r0, i0, e0, r1, i1, e1, half, c, d);
            return;
        }
        for (std::size_t j = 0; j < half; j += 4) {  // half is a power of two from 4
            TLanes a{_mm256_loadu_pd(r0 + j), _mm256_loadu_pd(i0 + j), _mm256_loadu_pd(e0 + j)};
            TLanes b{_mm256_loadu_pd(r1 + j), _mm256_loadu_pd(i1 + j), _mm256_loadu_pd(e1 + j)};
            Butterfly4(a, b, _mm256_loadu_pd(c + j), _mm256_loadu_pd(d + j));
            _mm256_storeu_pd(r0 + j, a.Re);
            _mm256_storeu_pd(i0 + j, a.Im);
            _mm256_storeu_pd(e0 + j, a.Err);
            _mm256_storeu_pd(r1 + j, b.Re);
            _mm256_storeu_pd(i1 + j, b.Im);
            _mm256_storeu_pd(e1 + j, b.Err);
        }
    }

    // The stages of span 4 and 2 over `length` values (a multiple of 16): four groups of
    // four at a time, turned so that each lane holds one group.
    [[gnu::target("avx2,fma")]] static bool LastTwo(TArrays w, std::size_t length, const double* c4,
                                                    const double* d4, const double* c2,
                                                    const double* d2) {
        if (length % 16 != 0) {
            return false;
        }
        const __m256d c40 = _mm256_set1_pd(c4[0]);
        const __m256d d40 = _mm256_set1_pd(d4[0]);
        const __m256d c41 = _mm256_set1_pd(c4[1]);
        const __m256d d41 = _mm256_set1_pd(d4[1]);
        const __m256d c20 = _mm256_set1_pd(c2[0]);
        const __m256d d20 = _mm256_set1_pd(d2[0]);
        for (std::size_t first = 0; first < length; first += 16) {
            double* re = w.Re + first;
            double* im = w.Im + first;
            double* err = w.Err + first;
            TLanes v0{_mm256_loadu_pd(re), _mm256_loadu_pd(im), _mm256_loadu_pd(err)};
            TLanes v1{_mm256_loadu_pd(re + 4), _mm256_loadu_pd(im + 4), _mm256_loadu_pd(err + 4)};
            TLanes v2{_mm256_loadu_pd(re + 8), _mm256_loadu_pd(im + 8), _mm256_loadu_pd(err + 8)};
            TLanes v3{_mm256_loadu_pd(re + 12), _mm256_loadu_pd(im + 12),
                      _mm256_loadu_pd(err + 12)};
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            Butterfly4(v0, v2, c40, d40);
            Butterfly4(v1, v3, c41, d41);
            Butterfly4(v0, v1, c20, d20);
            Butterfly4(v2, v3, c20, d20);
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            _mm256_storeu_pd(re, v0.Re);
            _mm256_storeu_pd(re + 4, v1.Re);
            _mm256_storeu_pd(re + 8, v2.Re);
            _mm256_storeu_pd(re + 12, v3.Re);
            _mm256_storeu_pd(im, v0.Im);
            _mm256_storeu_pd(im + 4, v1.Im);
            _mm256_storeu_pd(im + 8, v2.Im);
            _mm256_storeu_pd(im + 12, v3.Im);
            _mm256_storeu_pd(err, v0.Err);
            _mm256_storeu_pd(err + 4, v1.Err);
            _mm256_storeu_pd(err + 8, v2.Err);
            _mm256_storeu_pd(err + 12, v3.Err);
        }
        return true;
    }
};
#endif

// One stage of span `span` over `length` values; c, d: the stage's twiddle factors.
template <class Group>
[[gnu::always_inline]] inline void StageBody(TArrays w, std::size_t length, std::size_t span,
                                             const double* c, const double* d) {
    const std::size_t half = span / 2;
    for (std::size_t group = 0; group < length; group += span) {
        Group::Run(w.Re + group, w.Im + group, w.Err + group, w.Re + group + half,
                   w.Im + group + half, w.Err + group + half, half, c, d);
    }
}

// The stages from span `from` down to span `to` over `length` values. (Sweeping two stages
// at once in registers was slower here.)
template <class Group>
[[gnu::always_inline]] inline void StagesBody(TArrays w, std::size_t length, std::size_t n,
                                              std::size_t from, std::size_t to, const double* c,
                                              const double* d) {
    std::size_t s = from;
    for (; s >= to && s > 4; s /= 2) {
        StageBody<Group>(w, length, s, c + (n - s), d + (n - s));
    }
    if (s == 4 && to <= 2 &&
        Group::LastTwo(w, length, c + (n - 4), d + (n - 4), c + (n - 2), d + (n - 2))) {
        return;
    }
    for (; s >= to; s /= 2) {
        StageBody<Group>(w, length, s, c + (n - s), d + (n - s));
    }
}

// All stages, depth first: after a stage the two halves are independent transforms, so a
// large span is followed by its first half's stages, then its second half's, keeping the data
// in cache; spans of LocalSpan values run stage by stage. Every butterfly still gets the
// inputs it gets stage by stage.
template <class Group>
[[gnu::always_inline]] inline void TransformBody(TArrays w, std::size_t n, const double* c,
                                                 const double* d) {
    struct TPart {
        std::size_t First;
        std::size_t Span;
    };
    TPart pending[64];  // the halves not yet run: at most one per level, plus one
    std::size_t count = 0;
    pending[count++] = {0, n};
    while (count > 0) {
        const TPart part = pending[--count];
        const TArrays at{w.Re + part.First, w.Im + part.First, w.Err + part.First};
        if (part.Span <= LocalSpan) {
            StagesBody<Group>(at, part.Span, n, part.Span, 2, c, d);
            continue;
        }
        StageBody<Group>(at, part.Span, part.Span, c + (n - part.Span), d + (n - part.Span));
        pending[count++] = {part.First + part.Span / 2, part.Span / 2};
        pending[count++] = {part.First, part.Span / 2};
    }
}

#if defined(__GNUC__) && defined(__x86_64__)
[[gnu::target("avx2,fma")]] void TransformAvx2(TArrays w, std::size_t n, const double* c,
                                               const double* d) {
    TransformBody<TAvx2Group>(w, n, c, d);
}
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

}  // namespace

void TransformPlain(TArrays w, std::size_t n, const double* c, const double* d) {
    TransformBody<TPlainGroup>(w, n, c, d);
}

void Transform(TArrays w, std::size_t n, const double* c, const double* d) {
#if defined(__GNUC__) && defined(__x86_64__)
    if (HasAvx2()) {
        TransformAvx2(w, n, c, d);
        return;
    }
#endif
    TransformPlain(w, n, c, d);
}

}  // namespace sonavel::bounded
