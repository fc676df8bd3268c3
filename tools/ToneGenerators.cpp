#include "tools/ToneGenerators.h"

#include "base/IntMath.h"

#include <cmath>
#include <cstdlib>

ShredderSweep makeShredderSweep(int von, int bis, int step) {
    // 64-bit throughout: a range such as -2147483648 … 2147483647 must neither wrap nor
    // overflow on negating the step.
    long long s = step;
    if (bis < von)
        s = -std::llabs(s);
    const long long steps = IntDiv<long long>(static_cast<long long>(bis) - von, s);
    return {von, s, steps < 0 ? 0 : steps + 1};
}

long long waveFrequency(int index, int stretch, int strength, int start) {
    const long double x =
        std::sin(RealDiv(index, stretch)) * static_cast<long double>(strength) + start;
    return static_cast<long long>(std::trunc(x));
}
