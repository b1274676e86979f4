// The semitone ratio raised to a power, for the pitch sweeps, made of
// additions, multiplications and divisions of doubles only. A library pow
// differs between C runtimes (mingw's runs on the x87), while this gives the
// same bits on every x86 target and, being exact to about 2^-100, the
// correctly rounded double, which is what the Linux library gives too.
#pragma once

namespace tamrik {

// 1.059463094359 (as a double) to the power `exponent`.
double semitonePower(double exponent);

}  // namespace tamrik
