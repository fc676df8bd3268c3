#pragma once

#include "base/Errors.h"

#include <type_traits>

/// Integer division truncating toward zero; a zero divisor raises "Division durch Null".
template <typename T> T IntDiv(T dividend, T divisor) {
    if (divisor == 0)
        throw EDivByZero();
    // The smallest value divided by -1 overflows; it wraps to itself instead of trapping.
    if (divisor == T(-1))
        return T(std::make_unsigned_t<T>(0) - std::make_unsigned_t<T>(dividend));
    return dividend / divisor;
}

/// Real division in extended precision; a zero divisor raises "Gleitkommadivision durch Null".
inline long double RealDiv(long double dividend, long double divisor) {
    if (divisor == 0.0L)
        throw EZeroDivide();
    return dividend / divisor;
}
