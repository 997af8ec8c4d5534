#include "spectra/BoundedButterflies.h"

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace sonavel::bounded {

namespace {

// Spans up to this many values run chunk by chunk, the chunk staying in the first caches.
constexpr std::size_t LocalSpan = 1024;

// One butterfly: a, b (with their bounds, when Bounded) become a + b and (a - b) times the
// twiddle c + id.
template <bool Bounded>
[[gnu::always_inline]] inline void Butterfly(double& ar, double& ai, double* ae, double& br,
                                             double& bi, double* be, double c, double d) {
    const double sr = ar + br;
    const double si = ai + bi;
    const double dr = ar - br;
    const double di = ai - bi;
    ar = sr;
    ai = si;
    br = c * dr - d * di;
    bi = d * dr + c * di;
    if constexpr (Bounded) {
        const double carried = (*ae + *be) * Grow;
        *ae = carried + SumError * Modulus(sr, si);
        *be = carried + TwiddledError * Modulus(dr, di);
    }
}

// The butterflies of one group, top[j] with bottom[j] for j < half, one at a time. Without
// bounds, e0 and e1 are null.
template <bool Bounded>
struct TPlainGroup {
    static constexpr bool HasBounds = Bounded;
    static void Run(double* __restrict r0, double* __restrict i0, double* __restrict e0,
                    double* __restrict r1, double* __restrict i1, double* __restrict e1,
                    std::size_t half, const double* __restrict c, const double* __restrict d) {
        for (std::size_t j = 0; j < half; ++j) {
            Butterfly<Bounded>(r0[j], i0[j], Bounded ? e0 + j : nullptr, r1[j], i1[j],
                               Bounded ? e1 + j : nullptr, c[j], d[j]);
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

template <bool Bounded>
[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Butterfly4(TLanes& a, TLanes& b,
                                                                       __m256d c, __m256d d) {
    const __m256d sr = _mm256_add_pd(a.Re, b.Re);
    const __m256d si = _mm256_add_pd(a.Im, b.Im);
    const __m256d dr = _mm256_sub_pd(a.Re, b.Re);
    const __m256d di = _mm256_sub_pd(a.Im, b.Im);
    a.Re = sr;
    a.Im = si;
    b.Re = _mm256_fmsub_pd(c, dr, _mm256_mul_pd(d, di));
    b.Im = _mm256_fmadd_pd(d, dr, _mm256_mul_pd(c, di));
    if constexpr (Bounded) {
        const __m256d carried = _mm256_mul_pd(_mm256_add_pd(a.Err, b.Err), _mm256_set1_pd(Grow));
        a.Err = _mm256_fmadd_pd(_mm256_set1_pd(SumError), Modulus4(sr, si), carried);
        b.Err = _mm256_fmadd_pd(_mm256_set1_pd(TwiddledError), Modulus4(dr, di), carried);
    }
}

// Loads and stores of four lanes; the bounds only when Bounded.
template <bool Bounded>
[[gnu::target("avx2,fma"), gnu::always_inline]] inline TLanes Load4(const double* re,
                                                                    const double* im,
                                                                    const double* err) {
    return {_mm256_loadu_pd(re), _mm256_loadu_pd(im),
            Bounded ? _mm256_loadu_pd(err) : _mm256_setzero_pd()};
}
template <bool Bounded>
[[gnu::target("avx2,fma"), gnu::always_inline]] inline void Store4(const TLanes& v, double* re,
                                                                   double* im, double* err) {
    _mm256_storeu_pd(re, v.Re);
    _mm256_storeu_pd(im, v.Im);
    if constexpr (Bounded) {
        _mm256_storeu_pd(err, v.Err);
    }
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

template <bool Bounded>
struct TAvx2Group {
    static constexpr bool HasBounds = Bounded;
    [[gnu::target("avx2,fma")]] static void Run(double* r0, double* i0, double* e0, double* r1,
                                                double* i1, double* e1, std::size_t half,
                                                const double* c, const double* d) {
        if (half < 4) {
            TPlainGroup<Bounded>::Run(r0, i0, e0, r1, i1, e1, half, c, d);
            return;
        }
        for (std::size_t j = 0; j < half; j += 4) {  // half is a power of two from 4
            const std::size_t je = Bounded ? j : 0;  // no offset on a null pointer
            TLanes a = Load4<Bounded>(r0 + j, i0 + j, e0 + je);
            TLanes b = Load4<Bounded>(r1 + j, i1 + j, e1 + je);
            Butterfly4<Bounded>(a, b, _mm256_loadu_pd(c + j), _mm256_loadu_pd(d + j));
            Store4<Bounded>(a, r0 + j, i0 + j, e0 + je);
            Store4<Bounded>(b, r1 + j, i1 + j, e1 + je);
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
            double* err = Bounded ? w.Err + first : nullptr;
            const std::size_t step = Bounded ? 4 : 0;
            TLanes v0 = Load4<Bounded>(re, im, err);
            TLanes v1 = Load4<Bounded>(re + 4, im + 4, err + step);
            TLanes v2 = Load4<Bounded>(re + 8, im + 8, err + 2 * step);
            TLanes v3 = Load4<Bounded>(re + 12, im + 12, err + 3 * step);
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            if constexpr (Bounded) {
                Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            }
            Butterfly4<Bounded>(v0, v2, c40, d40);
            Butterfly4<Bounded>(v1, v3, c41, d41);
            Butterfly4<Bounded>(v0, v1, c20, d20);
            Butterfly4<Bounded>(v2, v3, c20, d20);
            Transpose(v0.Re, v1.Re, v2.Re, v3.Re);
            Transpose(v0.Im, v1.Im, v2.Im, v3.Im);
            if constexpr (Bounded) {
                Transpose(v0.Err, v1.Err, v2.Err, v3.Err);
            }
            Store4<Bounded>(v0, re, im, err);
            Store4<Bounded>(v1, re + 4, im + 4, err + step);
            Store4<Bounded>(v2, re + 8, im + 8, err + 2 * step);
            Store4<Bounded>(v3, re + 12, im + 12, err + 3 * step);
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
        double* e0 = Group::HasBounds ? w.Err + group : nullptr;
        double* e1 = Group::HasBounds ? w.Err + group + half : nullptr;
        Group::Run(w.Re + group, w.Im + group, e0, w.Re + group + half, w.Im + group + half, e1,
                   half, c, d);
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
        const TArrays at{w.Re + part.First, w.Im + part.First,
                         Group::HasBounds ? w.Err + part.First : nullptr};
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
template <bool Bounded>
[[gnu::target("avx2,fma")]] void TransformAvx2(TArrays w, std::size_t n, const double* c,
                                               const double* d) {
    TransformBody<TAvx2Group<Bounded>>(w, n, c, d);
}
bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif

template <bool Bounded>
void Dispatch(TArrays w, std::size_t n, const double* c, const double* d) {
#if defined(__GNUC__) && defined(__x86_64__)
    if (HasAvx2()) {
        TransformAvx2<Bounded>(w, n, c, d);
        return;
    }
#endif
    TransformBody<TPlainGroup<Bounded>>(w, n, c, d);
}

}  // namespace

void TransformPlain(TArrays w, std::size_t n, const double* c, const double* d) {
    TransformBody<TPlainGroup<true>>(w, n, c, d);
}

void Transform(TArrays w, std::size_t n, const double* c, const double* d) {
    Dispatch<true>(w, n, c, d);
}

void TransformValues(double* re, double* im, std::size_t n, const double* c, const double* d) {
    Dispatch<false>({re, im, nullptr}, n, c, d);
}

}  // namespace sonavel::bounded
