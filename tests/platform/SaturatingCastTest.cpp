// Floating-point values as integers: each end of the range holds exactly,
// and anything past it, infinities included, gives that end.

#include "platform/SaturatingCast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using platform::SaturatingCast;

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(SaturatingCast, ValuesPastTheRangeGiveItsNearestEnd)
{
    constexpr auto most64 = std::numeric_limits<std::int64_t>::max();
    constexpr auto least64 = std::numeric_limits<std::int64_t>::min();
    const struct
    {
        double value;
        std::int64_t expected;
    } signed64[] = {
        { 0.0, 0 },
        { -2.75, -2 },
        { 9007199254740992.0, 9007199254740992 }, // 2^53
        { 9223372036854774784.0, 9223372036854774784 }, // the largest double below 2^63
        { 9223372036854775808.0, most64 }, // 2^63
        { -9223372036854775808.0, least64 },
        { 1e30, most64 },
        { -1e30, least64 },
        { kInf, most64 },
        { -kInf, least64 },
        { std::nan(""), 0 },
    };
    for (const auto &c : signed64) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(SaturatingCast<std::int64_t>(c.value), c.expected);
    }
    EXPECT_EQ(SaturatingCast<std::uint64_t>(18446744073709551616.0), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(SaturatingCast<std::uint64_t>(18446744073709549568.0), 18446744073709549568ULL);
    EXPECT_EQ(SaturatingCast<std::uint64_t>(-0.5), 0u);
    EXPECT_EQ(SaturatingCast<int>(2147483647.9), 2147483647);
    EXPECT_EQ(SaturatingCast<int>(2147483648.0), 2147483647);
    EXPECT_EQ(SaturatingCast<int>(-2147483648.9), -2147483647 - 1);
}

} // namespace
