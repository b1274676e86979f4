// The sine of the wave tables, made of additions, multiplications and
// divisions only. A library sine differs between C runtimes (mingw's uses
// the x87 fsin, which emulators compute their own way), while basic
// arithmetic in long double gives the same bits on every x86 target, so the
// tables come out identical on Linux and on 32- and 64-bit Windows.
#pragma once

namespace tamrik {

// sin(x) for |x| <= pi/2, within about one unit in the last place of a long
// double: well inside what rounding a table entry to float can notice.
long double tableSine(long double x);

}  // namespace tamrik
