#include "base/vector_math.h"

#include <cmath>
#include <cstdint>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define SKYWAVE_VECTOR_MATH 1
// The C library's vector functions of four doubles (AVX2).
#define SKYWAVE_AVX2 __attribute__((target("avx2,fma")))
extern "C" SKYWAVE_AVX2 __m256d _ZGVdN4v_cos(__m256d);
extern "C" SKYWAVE_AVX2 __m256d _ZGVdN4v_acos(__m256d);
extern "C" SKYWAVE_AVX2 __m256d _ZGVdN4v_sin(__m256d);
extern "C" SKYWAVE_AVX2 __m256d _ZGVdN4v_exp(__m256d);
extern "C" SKYWAVE_AVX2 __m256d _ZGVdN4vv_pow(__m256d, __m256d);
#define SKYWAVE_VECTOR(name) name
#else
#define SKYWAVE_VECTOR(name) nullptr
#endif

namespace skywave {

namespace {

#ifdef SKYWAVE_VECTOR_MATH
bool detect() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

// One of the library's vector functions of one argument, or pow with a fixed exponent.
struct Unary {
    __m256d (*f)(__m256d);
    SKYWAVE_AVX2 __m256d operator()(__m256d v) const { return f(v); }
};
struct Power {
    double e;
    SKYWAVE_AVX2 __m256d operator()(__m256d v) const { return _ZGVdN4vv_pow(v, _mm256_set1_pd(e)); }
};

// Applies f to four values at a time; the last few go through a padded block.
template <typename F>
SKYWAVE_AVX2 void each4(F f, const double* x, double* y, int n) {
    int i = 0;
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(y + i, f(_mm256_loadu_pd(x + i)));
    if (i < n) {
        double in[4] = {0.5, 0.5, 0.5, 0.5}, out[4];
        for (int k = 0; i + k < n; ++k)
            in[k] = x[i + k];
        _mm256_storeu_pd(out, f(_mm256_loadu_pd(in)));
        for (int k = 0; i + k < n; ++k)
            y[i + k] = out[k];
    }
}
#else
bool detect() {
    return false;
}
struct Unary {
    void* f;
};
struct Power {
    double e;
};
#endif

double widened_error = 0;
double slack = kVectorMathSlack;
std::uint64_t widening_state = 1;

// Moves y[0 ... n-1] by up to widened_error of their size.
void widen(double* y, int n) {
    if (widened_error == 0) return;
    for (int i = 0; i < n; ++i) {
        widening_state = widening_state * 6364136223846793005u + 1442695040888963407u;
        const double s = double(widening_state >> 11) * 0x1p-52 - 1;  // [-1, 1)
        y[i] *= 1 + widened_error * s;
    }
}

// y = scalar(x), or the vector function's values four at a time where it is used.
template <typename Vector, typename Scalar>
void apply([[maybe_unused]] Vector vector, Scalar scalar, const double* x, double* y, int n) {
#ifdef SKYWAVE_VECTOR_MATH
    if (vector_math_available()) {
        each4(vector, x, y, n);
        return widen(y, n);
    }
#endif
    for (int i = 0; i < n; ++i)
        y[i] = scalar(x[i]);
    widen(y, n);
}

}  // namespace

bool vector_math_available() {
    static const bool available = detect();
    return available;
}

double vector_math_slack() {
    return slack;
}

void widen_vector_math_error(double error, double new_slack) {
    widened_error = error;
    slack = new_slack;
}

void cos_each(const double* x, double* y, int n) {
    apply(
        Unary{SKYWAVE_VECTOR(_ZGVdN4v_cos)}, [](double v) { return std::cos(v); }, x, y, n);
}

void acos_each(const double* x, double* y, int n) {
    apply(
        Unary{SKYWAVE_VECTOR(_ZGVdN4v_acos)}, [](double v) { return std::acos(v); }, x, y, n);
}

void sin_each(const double* x, double* y, int n) {
    apply(
        Unary{SKYWAVE_VECTOR(_ZGVdN4v_sin)}, [](double v) { return std::sin(v); }, x, y, n);
}

void exp_each(const double* x, double* y, int n) {
    apply(
        Unary{SKYWAVE_VECTOR(_ZGVdN4v_exp)}, [](double v) { return std::exp(v); }, x, y, n);
}

void pow_each(const double* x, double e, double* y, int n) {
    apply(
        Power{e}, [e](double v) { return std::pow(v, e); }, x, y, n);
}

}  // namespace skywave
