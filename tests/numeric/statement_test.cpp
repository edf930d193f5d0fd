#include "numeric/statement.hpp"

#include <gtest/gtest.h>

namespace ts {
namespace {

// A resume-next statement stores its result only when the evaluation
// succeeded; otherwise the target keeps whatever it had, empty included.
TEST(Statement, AFailedStatementKeepsItsTarget) {
    const struct {
        const char* what;
        Number before;
    } targets[] = {
        {"an empty target", Number{}},
        {"a double left by an earlier statement", Number::real(3.25)},
        {"an int16", Number::int16(7)},
    };
    for (const auto& t : targets) {
        Number target = t.before;
        EXPECT_FALSE(assign(target, divide(Number::int16(1), Number{}))) << t.what;
        EXPECT_EQ(target, t.before) << t.what;
        EXPECT_FALSE(assignSingle(target, squareRoot(Number::real(-1)))) << t.what;
        EXPECT_EQ(target, t.before) << t.what;
        EXPECT_FALSE(assignDouble(target, logarithm(Number::int16(0)))) << t.what;
        EXPECT_EQ(target, t.before) << t.what;
    }
}

// The statements of a procedure run in order; one that fails does not stop
// the next one, and the member it would have written keeps its value.
TEST(Statement, TheNextStatementStillRunsAfterAFailure) {
    Number a = Number::real(1), b = Number::real(2), c = Number::real(3);
    assign(a, add(a, Number::int16(10)));
    assign(b, squareRoot(subtract(a, Number::int16(100)).value()));  // Sqr of a negative: fails
    assign(c, multiply(a, b));
    EXPECT_EQ(a, Number::real(11));
    EXPECT_EQ(b, Number::real(2));
    EXPECT_EQ(c, Number::real(22));
}

TEST(Statement, StoresInTheWidthOfTheMember) {
    Number target;
    ASSERT_TRUE(assignSingle(target, Number::real(0.1)));
    EXPECT_EQ(target, Number::single(0.1f));
    ASSERT_TRUE(assignDouble(target, Number::int16(4)));
    EXPECT_EQ(target, Number::real(4));
    // A result beyond the single range cannot be stored in a single member.
    EXPECT_FALSE(assignSingle(target, Number::real(1e39)));
    EXPECT_EQ(target, Number::real(4));
}

TEST(StatementDeathTest, OutsideTheFormulasAFailureIsAProgrammingError) {
    EXPECT_DEATH((void)require(divide(Number::int16(1), Number::int16(0)), "1 / 0"), "internal error.*1 / 0");
    EXPECT_EQ(require(divide(Number::int16(1), Number::int16(4)), "1 / 4"), Number::real(0.25));
}

}  // namespace
}  // namespace ts
