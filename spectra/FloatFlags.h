#pragma once

#include <cfenv>

namespace sonavel {

// Saves the caller's floating-point flags and clears them; puts them back on leaving. In
// between, LeftRange() tells whether a result underflowed, overflowed or was invalid: the
// transforms' error arguments hold only inside the range.
class TFloatFlags {
  public:
    TFloatFlags() {
        std::fegetexceptflag(&Saved_, FE_ALL_EXCEPT);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    ~TFloatFlags() { std::fesetexceptflag(&Saved_, FE_ALL_EXCEPT); }
    TFloatFlags(const TFloatFlags&) = delete;
    TFloatFlags& operator=(const TFloatFlags&) = delete;

    static bool LeftRange() {
        return std::fetestexcept(FE_UNDERFLOW | FE_OVERFLOW | FE_INVALID) != 0;
    }

  private:
    std::fexcept_t Saved_{};
};

}  // namespace sonavel
