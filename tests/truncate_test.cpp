// Real-to-int conversion and the wrapped absolute value, as the show's first platform gave them.
#include "common/truncate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(Truncate, TowardZeroAndOutOfRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double in;
        int32_t want;
    } cases[] = {
        {0.0, 0},
        {1.9, 1},
        {-1.9, -1},
        {-0.5, 0},
        {2147483647.0, INT32_MAX},
        {2147483647.9, INT32_MAX},
        {-2147483648.0, INT32_MIN},
        {-2147483648.9, INT32_MIN},
        {2147483648.0, INT32_MIN},  // just above the range
        {-2147483649.0, INT32_MIN},
        {1e20, INT32_MIN},
        {-1e20, INT32_MIN},
        {inf, INT32_MIN},
        {-inf, INT32_MIN},
        {std::nan(""), INT32_MIN},
    };
    for (const auto &c : cases) EXPECT_EQ(truncToInt(c.in), c.want) << "truncToInt(" << c.in << ")";
}

TEST(Truncate, AbsWrapped) {
    const struct {
        int32_t in, want;
    } cases[] = {{0, 0},
                 {5, 5},
                 {-5, 5},
                 {INT32_MAX, INT32_MAX},
                 {-INT32_MAX, INT32_MAX},
                 {INT32_MIN, INT32_MIN}};
    for (const auto &c : cases) EXPECT_EQ(absWrapped(c.in), c.want) << "absWrapped(" << c.in << ")";
}
