#pragma once

#include "base/Errors.h"

/// Integer division truncating toward zero; a zero divisor raises "Division durch Null".
template <typename T> T IntDiv(T dividend, T divisor) {
    if (divisor == 0)
        throw EDivByZero();
    return dividend / divisor;
}

/// Real division in extended precision; a zero divisor raises "Gleitkommadivision durch Null".
inline long double RealDiv(long double dividend, long double divisor) {
    if (divisor == 0.0L)
        throw EZeroDivide();
    return dividend / divisor;
}
