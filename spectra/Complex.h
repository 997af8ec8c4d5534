#pragma once

namespace sonavel {

// One spectrum bin, in extended precision.
struct TComplex {
    long double Re = 0;
    long double Im = 0;
};

}  // namespace sonavel
