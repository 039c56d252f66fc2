#pragma once

#include <concepts>
#include <limits>

namespace platform {

// A time, position or count computed in floating point, as an integer: a
// value past the integer's range gives its nearest end and NaN gives 0. A
// plain conversion of such a value is undefined behaviour, and a file's header
// or a caller can make the value as large as it likes, infinite included.
// Clamped in double, where both ends of every integer type up to 64 bits are
// exact powers of two (or zero), so the comparison itself cannot round.
template<std::integral T> constexpr T SaturatingCast(double value)
{
    if (value != value) // NaN
        return 0;
    constexpr double lowest = double(std::numeric_limits<T>::min());
    // 2^digits: the first whole number past T's range, exact in a double.
    constexpr double pastMost = 2.0 * double(T(1) << (std::numeric_limits<T>::digits - 1));
    if (value <= lowest)
        return std::numeric_limits<T>::min();
    if (value >= pastMost)
        return std::numeric_limits<T>::max();
    return T(value);
}

} // namespace platform
