// Real-to-int conversion and the wrapped absolute value, as the show's first platform gave them.
#include "common/truncate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {
constexpr int32_t kMin = INT32_MIN, kMax = INT32_MAX;
}

// Toward zero inside the int range; INT32_MIN for anything outside it, infinities and NaN.
TEST(Truncate, TowardZeroAndOutOfRange) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const std::pair<double, int32_t> cases[] = {
        {0.0, 0},           {1.9, 1},           {-1.9, -1},   {-0.5, 0},
        {kMax, kMax},       {kMax + 0.9, kMax}, {kMin, kMin}, {kMin - 0.9, kMin},
        {kMax + 1.0, kMin}, {kMin - 1.0, kMin}, {1e20, kMin}, {-1e20, kMin},
        {inf, kMin},        {-inf, kMin},       {nan, kMin}};
    for (const auto &[in, want] : cases)
        EXPECT_EQ(truncToInt(in), want) << "truncToInt(" << in << ")";
}

// |INT32_MIN| wraps to itself.
TEST(Truncate, AbsWrapped) {
    const std::pair<int32_t, int32_t> cases[] = {{0, 0},       {5, 5},        {-5, 5},
                                                 {kMax, kMax}, {-kMax, kMax}, {kMin, kMin}};
    for (const auto &[in, want] : cases)
        EXPECT_EQ(absWrapped(in), want) << "absWrapped(" << in << ")";
}
