// Double-double arithmetic: a value is an unevaluated sum hi + lo with
// |lo| <= half an ulp of hi, so products and sums keep about 106 bits. The
// error-free steps rely on every operation rounding once, which the project's
// -ffp-contract=off guarantees.
#include "synth/SemitonePower.h"

#include <cmath>
#include <cstdint>

namespace tamrik {

namespace {

struct DoubleDouble {
    double hi, lo;
};

DoubleDouble quickTwoSum(double a, double b) {  // |a| >= |b|
    const double s = a + b;
    return {s, b - (s - a)};
}

DoubleDouble twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

DoubleDouble split(double a) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    const double hi = c - (c - a);
    return {hi, a - hi};
}

DoubleDouble twoProduct(double a, double b) {
    const double p = a * b;
    const DoubleDouble x = split(a), y = split(b);
    return {p, ((x.hi * y.hi - p) + x.hi * y.lo + x.lo * y.hi) + x.lo * y.lo};
}

DoubleDouble add(DoubleDouble a, DoubleDouble b) {
    const DoubleDouble s = twoSum(a.hi, b.hi);
    const DoubleDouble t = twoSum(a.lo, b.lo);
    const DoubleDouble u = quickTwoSum(s.hi, s.lo + t.hi);
    return quickTwoSum(u.hi, u.lo + t.lo);
}

DoubleDouble multiply(DoubleDouble a, DoubleDouble b) {
    const DoubleDouble p = twoProduct(a.hi, b.hi);
    return quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DoubleDouble divide(DoubleDouble a, double d) {
    const double q1 = a.hi / d;
    const DoubleDouble p = twoProduct(q1, d);
    const double rest = ((a.hi - p.hi) - p.lo) + a.lo;
    return quickTwoSum(q1, rest / d);
}

// ln(1.059463094359) and ln(2), each as a double-double.
constexpr DoubleDouble kLogSemitone = {0x1.d9303fea25b04p-5, 0x1.ec1635b56acf4p-59};
constexpr DoubleDouble kLog2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};

// e^r for |r| <= ln(2)/2: the series of r / 1024, then squared ten times.
DoubleDouble exponential(DoubleDouble r) {
    const DoubleDouble x = {std::ldexp(r.hi, -10), std::ldexp(r.lo, -10)};
    DoubleDouble sum = {1.0, 0.0};
    for (int n = 12; n >= 1; --n) sum = add({1.0, 0.0}, divide(multiply(x, sum), n));
    for (int i = 0; i < 10; ++i) sum = multiply(sum, sum);
    return sum;
}

}  // namespace

double semitonePower(double exponent) {
    const DoubleDouble t = multiply({exponent, 0.0}, kLogSemitone);
    // Beyond these the result is infinite or zero whatever the rounding.
    if (!(t.hi < 710.0)) return t.hi != t.hi ? t.hi : HUGE_VAL;
    if (t.hi < -746.0) return 0.0;
    const double k = std::floor(t.hi / kLog2.hi + 0.5);
    const DoubleDouble r = add(t, multiply({-k, 0.0}, kLog2));
    const DoubleDouble e = exponential(r);
    return std::ldexp(e.hi + e.lo, static_cast<int32_t>(k));
}

}  // namespace tamrik
