#include "numeric/operations.hpp"
#include "support/test_names.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace ts {
namespace {

Number i16(int v) { return Number::int16(static_cast<std::int16_t>(v)); }
Number i32(std::int32_t v) { return Number::int32(v); }
Number sgl(float v) { return Number::single(v); }
Number dbl(double v) { return Number::real(v); }
const Number kEmpty{};

std::string describe(Number n) {
    static const char* names[] = {"empty", "int16", "int32", "single", "double"};
    return std::string(names[static_cast<int>(n.width())]) + " " + std::to_string(n.value());
}

struct BinaryCase {
    const char* what;
    Result (*op)(Number, Number);
    Number a, b;
    Number expected;
};

class ResultWidth : public ::testing::TestWithParam<BinaryCase> {};

// The result keeps the exact value and the width of the rules: the wider
// operand wins, single with a 32-bit integer gives double, and an integer
// that outgrows its width moves up instead of failing.
TEST_P(ResultWidth, FollowsTheWidthTable) {
    const BinaryCase& c = GetParam();
    const Result got = c.op(c.a, c.b);
    ASSERT_TRUE(got.has_value()) << c.what;
    EXPECT_EQ(got->width(), c.expected.width()) << c.what << ": got " << describe(*got);
    EXPECT_EQ(got->value(), c.expected.value()) << c.what << ": got " << describe(*got);
}

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, ResultWidth,
    ::testing::Values(
        BinaryCase{"int16 + int16 that fits", add, i16(32000), i16(767), i16(32767)},
        BinaryCase{"int16 + int16 past 32767 widens to int32", add, i16(32000), i16(768), i32(32768)},
        BinaryCase{"int16 - int16 below -32768 widens to int32", subtract, i16(-32768), i16(1), i32(-32769)},
        BinaryCase{"int16 * int16 widens to int32", multiply, i16(200), i16(200), i32(40000)},
        BinaryCase{"int32 + int16 past the 32-bit range widens to double", add, i32(2147483647), i16(1),
                   dbl(2147483648.0)},
        BinaryCase{"int32 * int32 widens to double, exactly", multiply, i32(1000000), i32(1000000), dbl(1e12)},
        BinaryCase{"int16 + single is single", add, i16(1), sgl(0.5f), sgl(1.5f)},
        BinaryCase{"single * int16 is single, rounded to single", multiply, sgl(0.1f), i16(3), sgl(0.1f * 3.0f)},
        BinaryCase{"single * int32 is double", multiply, sgl(0.1f), i32(3), dbl(static_cast<double>(0.1f) * 3)},
        BinaryCase{"int32 + single is double", add, i32(70000), sgl(0.1f), dbl(70000 + static_cast<double>(0.1f))},
        BinaryCase{"single + double is double", add, sgl(0.1f), dbl(0.2), dbl(static_cast<double>(0.1f) + 0.2)},
        BinaryCase{"int16 0 + double 0.00003 is the double 0.00003", add, i16(0), dbl(0.00003), dbl(0.00003)},
        BinaryCase{"empty + double reads empty as 0", add, kEmpty, dbl(0.00003), dbl(0.00003)},
        BinaryCase{"empty + empty is the int16 0", add, kEmpty, kEmpty, i16(0)},
        BinaryCase{"empty * single is a single 0", multiply, kEmpty, sgl(14.5f), sgl(0)}),
    testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(
    Division, ResultWidth,
    ::testing::Values(BinaryCase{"int16 47 / single 50 is the single nearest 0.94", divide, i16(47), sgl(50),
                                 sgl(0.94f)},
                      BinaryCase{"single / single is single", divide, sgl(1), sgl(3), sgl(1.0f / 3.0f)},
                      BinaryCase{"int16 / int16 is double", divide, i16(1), i16(3), dbl(1.0 / 3.0)},
                      BinaryCase{"int16 12 / int16 2 is the double 6", divide, i16(12), i16(2), dbl(6)},
                      BinaryCase{"int16 450 / int16 9 is the double 50", divide, i16(450), i16(9), dbl(50)},
                      BinaryCase{"int32 / single is double", divide, i32(1), sgl(3), dbl(1.0 / 3.0)},
                      BinaryCase{"single / double is double", divide, sgl(1), dbl(3), dbl(1.0 / 3.0)},
                      BinaryCase{"empty / int16 is 0", divide, kEmpty, i16(2), dbl(0)},
                      BinaryCase{"empty / single is a single 0", divide, kEmpty, sgl(2), sgl(0)}),
    testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(Power, ResultWidth,
                         ::testing::Values(BinaryCase{"(-8) ^ 3 is -512", power, i16(-8), i16(3), dbl(-512)},
                                           BinaryCase{"(-8) ^ -1 is -0.125", power, i16(-8), i16(-1), dbl(-0.125)},
                                           BinaryCase{"int16 ^ int16 is double", power, i16(2), i16(10), dbl(1024)},
                                           BinaryCase{"0 ^ 0 is 1", power, i16(0), i16(0), dbl(1)},
                                           BinaryCase{"0 ^ 0.5 is 0", power, dbl(0), dbl(0.5), dbl(0)},
                                           BinaryCase{"2 ^ 0.5", power, dbl(2), dbl(0.5), dbl(std::sqrt(2.0))}),
                         testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(
    Modulo, ResultWidth,
    ::testing::Values(
        // Both operands are rounded half to even first; the sign is that of a.
        BinaryCase{"282.5 Mod 280 is 2 (282.5 rounds to 282)", modulo, dbl(282.5), i16(280), i32(2)},
        BinaryCase{"283.5 Mod 280 is 4 (283.5 rounds to 284)", modulo, dbl(283.5), i16(280), i32(4)},
        BinaryCase{"279.5 Mod 280 is 0 (279.5 rounds to 280)", modulo, dbl(279.5), i16(280), i32(0)},
        BinaryCase{"2.5 Mod 280 is 2", modulo, dbl(2.5), i16(280), i32(2)},
        BinaryCase{"675 Mod 280 is 115", modulo, dbl(675), i16(280), i32(115)},
        BinaryCase{"-7 Mod 3 is -1", modulo, i16(-7), i16(3), i16(-1)},
        BinaryCase{"7 Mod -3 is 1", modulo, i16(7), i16(-3), i16(1)},
        BinaryCase{"-282.5 Mod 280 is -2", modulo, dbl(-282.5), i16(280), i32(-2)},
        BinaryCase{"7 Mod 2.5 divides by 2", modulo, i16(7), dbl(2.5), i32(1)}),
    testing::nameByWhat);

struct FailureCase {
    const char* what;
    Result (*op)(Number, Number);
    Number a, b;
};

class FailingOperation : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailingOperation, Fails) {
    const FailureCase& c = GetParam();
    const Result got = c.op(c.a, c.b);
    EXPECT_FALSE(got.has_value()) << c.what << ": got " << describe(*got);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FailingOperation,
    ::testing::Values(
        FailureCase{"1 / 0", divide, i16(1), i16(0)}, FailureCase{"1 / empty divisor", divide, i16(1), kEmpty},
        FailureCase{"0 / 0", divide, dbl(0), dbl(0)}, FailureCase{"empty / empty", divide, kEmpty, kEmpty},
        FailureCase{"double / -0.0", divide, dbl(2), dbl(-0.0)},
        FailureCase{"single / single 0", divide, sgl(1), sgl(0)},
        FailureCase{"a quotient past the double range", divide, dbl(1e300), dbl(1e-300)},
        FailureCase{"a single quotient past the single range", divide, sgl(3e38f), sgl(0.01f)},
        FailureCase{"a product past the double range", multiply, dbl(1e200), dbl(1e200)},
        FailureCase{"a single product past the single range", multiply, sgl(3e38f), i16(10)},
        FailureCase{"a sum past the double range", add, dbl(1.7e308), dbl(1.7e308)},
        FailureCase{"(-8) ^ (1/3)", power, i16(-8), dbl(1.0 / 3.0)}, FailureCase{"0 ^ -1", power, i16(0), i16(-1)},
        FailureCase{"empty ^ -0.5", power, kEmpty, dbl(-0.5)},
        FailureCase{"a power past the double range", power, i16(10), i16(400)},
        FailureCase{"Mod by 0", modulo, i16(5), i16(0)},
        FailureCase{"Mod by 0.4, which rounds to 0", modulo, i16(5), dbl(0.4)},
        FailureCase{"Mod by an empty divisor", modulo, i16(5), kEmpty}),
    testing::nameByWhat);

struct UnaryCase {
    const char* what;
    Result (*op)(Number);
    Number a;
    std::optional<Number> expected;  // nullopt: the operation fails
};

class UnaryOperation : public ::testing::TestWithParam<UnaryCase> {};

TEST_P(UnaryOperation, GivesItsValueOrFails) {
    const UnaryCase& c = GetParam();
    const Result got = c.op(c.a);
    if (!c.expected) {
        EXPECT_FALSE(got.has_value()) << c.what << ": got " << describe(*got);
        return;
    }
    ASSERT_TRUE(got.has_value()) << c.what;
    EXPECT_EQ(got->width(), c.expected->width()) << c.what << ": got " << describe(*got);
    EXPECT_EQ(got->value(), c.expected->value()) << c.what << ": got " << describe(*got);
}

INSTANTIATE_TEST_SUITE_P(IntAbsSqrLog, UnaryOperation,
                         ::testing::Values(UnaryCase{"Int(-0.5) is -1", intPart, dbl(-0.5), dbl(-1)},
                                           UnaryCase{"Int(2.999) is 2", intPart, dbl(2.999), dbl(2)},
                                           UnaryCase{"Int(-2.5) is -3", intPart, dbl(-2.5), dbl(-3)},
                                           UnaryCase{"Int keeps single", intPart, sgl(15.99f), sgl(15)},
                                           UnaryCase{"Int keeps int16", intPart, i16(-7), i16(-7)},
                                           UnaryCase{"Int of empty is the int16 0", intPart, kEmpty, i16(0)},
                                           UnaryCase{"Abs keeps single", absolute, sgl(-2.5f), sgl(2.5f)},
                                           UnaryCase{"Abs of a double", absolute, dbl(-1e-300), dbl(1e-300)},
                                           UnaryCase{"Sqr(0) is 0", squareRoot, i16(0), dbl(0)},
                                           UnaryCase{"Sqr of an int16 is double", squareRoot, i16(2),
                                                     dbl(std::sqrt(2.0))},
                                           UnaryCase{"Sqr(-1e-300) fails", squareRoot, dbl(-1e-300), std::nullopt},
                                           UnaryCase{"Log(1) is 0", logarithm, i16(1), dbl(0)},
                                           UnaryCase{"Log(0) fails", logarithm, i16(0), std::nullopt},
                                           UnaryCase{"Log(empty) fails", logarithm, kEmpty, std::nullopt},
                                           UnaryCase{"Log(-1) fails", logarithm, dbl(-1), std::nullopt}),
                         testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(Trigonometry, UnaryOperation,
                         ::testing::Values(
                             // Taken on the exact value of the operand, which for a single is not
                             // the decimal that was typed.
                             UnaryCase{"Sin of a single 0.1", sine, sgl(0.1f),
                                       dbl(std::sin(static_cast<double>(0.1f)))},
                             UnaryCase{"Cos of an int16", cosine, i16(1), dbl(std::cos(1.0))},
                             UnaryCase{"Tan of empty is 0", tangent, kEmpty, dbl(0)}),
                         testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(
    ToInt16, UnaryOperation,
    // Nearest, an exact half to the even neighbour; fails outside -32768..32767.
    ::testing::Values(
        UnaryCase{"2.5 to 2", toInt16, dbl(2.5), i16(2)}, UnaryCase{"3.5 to 4", toInt16, dbl(3.5), i16(4)},
        UnaryCase{"-2.5 to -2", toInt16, dbl(-2.5), i16(-2)}, UnaryCase{"0.5 to 0", toInt16, dbl(0.5), i16(0)},
        UnaryCase{"2.5000001 to 3", toInt16, dbl(2.5000001), i16(3)},
        UnaryCase{"a single 15 to 15", toInt16, sgl(15), i16(15)}, UnaryCase{"empty to 0", toInt16, kEmpty, i16(0)},
        UnaryCase{"32767 fits", toInt16, dbl(32767), i16(32767)},
        UnaryCase{"32766.5 rounds to 32766", toInt16, dbl(32766.5), i16(32766)},
        UnaryCase{"32767.5 rounds to 32768 and fails", toInt16, dbl(32767.5), std::nullopt},
        UnaryCase{"-32768.5 rounds to -32768 and fits", toInt16, dbl(-32768.5), i16(-32768)},
        UnaryCase{"-32769 fails", toInt16, dbl(-32769), std::nullopt}),
    testing::nameByWhat);

INSTANTIATE_TEST_SUITE_P(
    ToSingle, UnaryOperation,
    ::testing::Values(UnaryCase{"3.9999998211860657 rounds to 3.9999998f", toSingle, dbl(3.9999998211860657),
                                sgl(3.99999976f)},
                      UnaryCase{"19.99999940395355 rounds up to exactly 20", toSingle, dbl(19.99999940395355), sgl(20)},
                      UnaryCase{"a value past the single range fails", toSingle, dbl(1e39), std::nullopt}),
    testing::nameByWhat);

// Whole numbers are written in plain decimal, without a point or an
// exponent, whatever their width.
TEST(ToText, WritesWholeNumbersInPlainDecimal) {
    const struct {
        Number n;
        const char* text;
    } cases[] = {
        {dbl(6503260956), "6503260956"},
        {i32(127010), "127010"},
        {sgl(15), "15"},
        {i16(-3), "-3"},
        {i16(0), "0"},
        {kEmpty, "0"},
        {dbl(-0.0), "0"},
        {dbl(9007199254740992.0), "9007199254740992"},
        {dbl(1e15), "1000000000000000"},
        {i32(2147483647), "2147483647"},
    };
    for (const auto& c : cases) EXPECT_EQ(toText(c.n), c.text) << describe(c.n);
}

}  // namespace
}  // namespace ts
