#include "numeric/fast_real.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numeric/operations.hpp"

namespace ts {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The per-pixel helpers must fail exactly where the Number operations fail
// and give the same value elsewhere; a non-finite operand (an earlier failure
// of the same statement) must never turn back into a finite result.
void expectSameAsNumber(double fastResult, Result numberResult, const char* what, double a, double b) {
    if (!numberResult) {
        EXPECT_FALSE(std::isfinite(fastResult)) << what << "(" << a << ", " << b << ") gave " << fastResult;
    } else {
        EXPECT_EQ(fastResult, numberResult->value()) << what << "(" << a << ", " << b << ")";
    }
}

TEST(FastReal, DivisionFailsWhereTheNumberDivisionFails) {
    const double operands[][2] = {{1, 0}, {0, 0}, {0, -0.0}, {-3, 0}, {1e300, 1e-300}, {1, 3}, {-2.5, 0.5}, {0, 7}};
    for (const auto& o : operands) {
        expectSameAsNumber(fast::div(o[0], o[1]), divide(Number::real(o[0]), Number::real(o[1])), "div", o[0], o[1]);
    }
    // A failure earlier in the statement stays a failure.
    EXPECT_FALSE(std::isfinite(fast::div(1, kInf)));
    EXPECT_FALSE(std::isfinite(fast::div(kInf, 2)));
    EXPECT_FALSE(std::isfinite(fast::div(kNaN, 2)));
}

TEST(FastReal, PowerFailsWhereTheNumberPowerFails) {
    const double operands[][2] = {{-8, 1.0 / 3.0}, {-8, 3},  {0, -1},   {0, 0},
                                  {0, 2.5},        {2, 0.5}, {10, 400}, {11.5, 12.5}};
    for (const auto& o : operands) {
        expectSameAsNumber(fast::pow(o[0], o[1]), power(Number::real(o[0]), Number::real(o[1])), "pow", o[0], o[1]);
    }
    EXPECT_FALSE(std::isfinite(fast::pow(kInf, -1)));  // would be 0 without the check
    EXPECT_FALSE(std::isfinite(fast::pow(2, -kInf)));
    EXPECT_FALSE(std::isfinite(fast::pow(kNaN, 0)));  // would be 1 without the check
    EXPECT_FALSE(std::isfinite(fast::pow(1, kNaN)));
}

TEST(FastReal, SquareRootAndArctangent) {
    for (double a : {-1e-300, -1.0, 0.0, 2.0}) {
        expectSameAsNumber(fast::sqr(a), squareRoot(Number::real(a)), "sqr", a, 0);
    }
    EXPECT_FALSE(std::isfinite(fast::sqr(kNaN)));
    EXPECT_FALSE(std::isfinite(fast::atn(kInf)));  // would be pi/2 without the check
    EXPECT_FALSE(std::isfinite(fast::atn(kNaN)));
    EXPECT_EQ(fast::atn(-1), std::atan(-1.0));
}

TEST(FastReal, AssignStoresOnlyFiniteResults) {
    double target = 5;
    EXPECT_FALSE(fast::assign(target, kNaN));
    EXPECT_FALSE(fast::assign(target, kInf));
    EXPECT_FALSE(fast::assign(target, -kInf));
    EXPECT_EQ(target, 5);
    EXPECT_TRUE(fast::assign(target, -0.25));
    EXPECT_EQ(target, -0.25);
}

}  // namespace
}  // namespace ts
