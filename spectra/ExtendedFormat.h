#pragma once

#include <cfloat>

// The program's arithmetic is defined on the x87 extended format: a 64-bit significand held
// in the first 8 bytes of a long double. The exact fast paths (double pairs that hold a long
// double exactly, reading the significand's low bits) rely on it; on another long double
// they would compute different samples without a word, so such a build is refused.
static_assert(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384 && sizeof(long double) >= 10,
              "Sonavel needs the x87 80-bit extended long double (x86 or x86-64)");
