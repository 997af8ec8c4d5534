#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "spectra/Complex.h"

namespace sonavel {

// Work storage of the transform. Callers that transform many blocks in a row keep one, so
// the work array is not reallocated for every block.
struct TFFTWork {
    // One bin with each extended component kept as the exact sum of two doubles (see FFT).
    struct TSplitCell {
        double ReHi = 0;
        double ReLo = 0;
        double ImHi = 0;
        double ImLo = 0;
    };
    std::vector<TSplitCell> Split;
    std::vector<TComplex> Extended;
};

// The one transform of the program: iterative radix-2 decimation in frequency on complex
// data, natural order in, bit-reversed order out, in extended precision.
//
// forward: N = data.size(), a power of two; writes spectrum[0..N/2] with
//   spectrum[k] = (1/N) * sum_n data[n] * e^(-2*pi*i*n*k/N); bins above N/2 are untouched.
// inverse: N = 2 * (spectrum.size() - 1) rounded up to a power of two; reads
//   spectrum[0..N/2], completes the rest as the conjugate mirror and writes the real part
//   of the unscaled sum into data[0..N-1]. The imaginary parts of bins 0 and N/2 drop out.
//
// A forward transform followed by an inverse one therefore gives the block back. Sizes that
// do not fit (a block that is not a power of two, a spectrum or block too short for N)
// throw std::invalid_argument.
void FFT(std::span<long double> data, std::span<TComplex> spectrum, bool forward, TFFTWork& work);
void FFT(std::span<long double> data, std::span<TComplex> spectrum, bool forward);

// Index with its lowest `bits` bits in reverse order (bit i becomes bit bits-1-i).
std::uint32_t ReverseBits(std::uint32_t index, unsigned bits);

}  // namespace sonavel
