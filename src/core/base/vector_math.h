// Library functions over arrays of doubles: four at a time with the C library's vector
// functions where the processor has AVX2 and FMA, one at a time elsewhere.
//
// The vector functions are faster (a cosine in a tenth of the time) but not the scalar
// ones bit for bit: the C library documents them within 4 ulp of the exact value, the
// scalar ones within 1. A caller uses a result only where a bound on that difference
// decides the float it is rounded to (float_within_relative), and takes the scalar
// function for the rest.
#pragma once

namespace skywave {

// The relative difference, with a wide margin, between a vector function's result and
// the scalar function's: 4 + 1 ulp are 5 2^-52; this allows 2^12 ulp.
inline constexpr double kVectorMathSlack = 0x1p-40;

// Whether the vector functions are used (the processor has AVX2 and FMA).
bool vector_math_available();

// The slack callers allow: kVectorMathSlack, unless a test widened it.
double vector_math_slack();
// For tests, on one thread: moves every result of the functions below by up to error
// times its size (by a different amount each), and sets the callers' slack, so that
// the checks meet differences far more often than the library's few ulp make them.
// (0, kVectorMathSlack) restores.
void widen_vector_math_error(double error, double slack);

// y[i] = f(x[i]) for i < n; y may be x.
void cos_each(const double* x, double* y, int n);
void acos_each(const double* x, double* y, int n);
void sin_each(const double* x, double* y, int n);
void exp_each(const double* x, double* y, int n);
// y[i] = pow(x[i], e).
void pow_each(const double* x, double e, double* y, int n);

}  // namespace skywave
