// The Taylor series to the x^27 term, summed by Horner's rule from the
// smallest term up. At pi/2 the first term left out is below 2^-70, and the
// coefficients 1/n! come from exact small-integer divisions, so rounding in
// the sum is all the error there is.
#include "synth/Sine.h"

namespace tamrik {

long double tableSine(long double x) {
    constexpr int kTerms = 14;
    long double coefficient[kTerms];
    coefficient[0] = 1.0L;
    for (int k = 1; k < kTerms; ++k)
        coefficient[k] = -coefficient[k - 1] / ((2.0L * k) * (2.0L * k + 1.0L));
    const long double x2 = x * x;
    long double sum = coefficient[kTerms - 1];
    for (int k = kTerms - 2; k >= 0; --k) sum = sum * x2 + coefficient[k];
    return sum * x;
}

}  // namespace tamrik
