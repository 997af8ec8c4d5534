#pragma once

#include <cstdint>
#include <span>

namespace sonavel {

// trunc(sin(x) x scale) and trunc(scale x (1 - |cos(x)|)), with x, the sine and the product in
// extended precision, as the tone and noise generators define their samples.
//
// sinl and cosl cost about 250 ns a call here (their argument reduction runs in software),
// too slow for an hour of noise. So x is first reduced by 2 pi exactly enough (2 pi split into
// parts whose multiples are exact) and the sine taken in double; where the product then lies
// so close to an integer that the double result could truncate to another value, the
// extended functions decide. The results equal the extended ones for every x.
std::int64_t TruncScaledSine(long double x, long double scale);
std::int64_t TruncScaledCosineComplement(long double x, long double scale);

// The same over a run of arguments, for scales below 2^31 in magnitude (out has x's size).
// The double work runs over the whole run in branch-free loops, the extended reduction in a
// loop of its own, and only the rare values the doubles leave open go the scalar way.
void TruncScaledSines(std::span<const long double> x, long double scale,
                      std::span<std::int32_t> out);
void TruncScaledCosineComplements(std::span<const long double> x, long double scale,
                                  std::span<std::int32_t> out);

// While it lives, the runs on the creating thread take the pass without AVX2 that other
// machines take, so its results can be checked on a machine that has AVX2.
class TPlainSinePass {
  public:
    TPlainSinePass();
    ~TPlainSinePass();
    TPlainSinePass(const TPlainSinePass&) = delete;
    TPlainSinePass& operator=(const TPlainSinePass&) = delete;

  private:
    bool Was_;
};

}  // namespace sonavel
