#include "render/shape_value.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "support/pixel.hpp"
#include "support/reference_sweep.hpp"

namespace ts {
namespace {

PixelState pixel(int formula, double r, double fi, double fit, double x, double y) {
    PixelState p;
    p.tip1 = formula;
    p.r = r;
    p.fi = fi;
    p.fit = fit;
    p.x = x;
    p.y = y;
    return testing::withTrigonometry(p);
}

struct ShapeCase {
    const char* what;
    int formula;
    double r, fi, fit, x, y;
    std::optional<double> ba;  // nullopt: the formula fails and ba keeps its value
};

TEST(ShapeValue, EdgeCases) {
    const ShapeCase cases[] = {
        {"1: r * r", 1, 2, 0.3, 1, 0.5, 0.5, 4},
        {"4: x * r", 4, 3, 0.3, 1, -6, 0.5, -18},
        {"12 with fi = 0 is 0", 12, 2, 0, 1, 0.5, 0.5, 0},
        {"6 on the pole: 0 * (2 + Sin 0) / 0 ^ 0 is 0", 6, 0, 0.3, 1, 0.5, 0.5, 0},
        {"14 on the pole", 14, 0, 0.3, 1, 0.5, 0.5, 0},
        {"15 on the pole", 15, 0, 0.3, 1, 0.5, 0.5, 0},
        {"15 left of column 300 takes Abs(x)", 15, 1, 0, 1, -0.5, 0.5, std::pow(2.0, (1 + std::sin(1.0)) + 1)},
        {"11 fails at fi = 0", 11, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"13 fails at fi = 0", 13, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"13 fails at fi = -0", 13, 2, -0.0, 1, 0.5, 0.5, std::nullopt},
        {"14 fails at fi = 0", 14, 2, 0, 1, 0.5, 0.5, std::nullopt},
        {"15 fails at x = 0", 15, 2, 0.3, 1, 0, 0.5, std::nullopt},
        {"15 fails at x = -0", 15, 2, 0.3, 1, -0.0, 0.5, std::nullopt},
    };
    for (const auto& c : cases) {
        for (bool wasSet : {true, false}) {
            PixelState p = pixel(c.formula, c.r, c.fi, c.fit, c.x, c.y);
            p.ba = wasSet ? -123.25 : 0;
            p.baSet = wasSet;
            ShapeValue(p);
            if (c.ba) {
                EXPECT_EQ(p.ba, *c.ba) << c.what;
                EXPECT_TRUE(p.baSet) << c.what;
            } else {
                EXPECT_EQ(p.ba, wasSet ? -123.25 : 0) << c.what;
                EXPECT_EQ(p.baSet, wasSet) << c.what;
            }
        }
    }
}

// A shape value beyond the double range is a failure like any other.
TEST(ShapeValue, AnOverflowingFormulaKeepsBa) {
    PixelState p = pixel(13, 2, 1e-308, 1, 0.5, 0.5);
    p.ba = 9;
    ShapeValue(p);
    EXPECT_EQ(p.ba, 9);
}

// The points every formula is tried at: on the pole (r = 0), on x = 0,
// level with the pole (fi = 0), and ordinary ones on either side.
std::vector<PixelState> samplePixels() {
    std::vector<PixelState> pixels;
    for (double r : {0.0, 0.5, 2.0, 7.25}) {
        for (double fi : {-1.2, 0.0, 0.7}) {
            for (double fit : {0.3, 5.0}) {
                for (double x : {-6.0, -0.5, 0.0, 3.0}) {
                    for (double y : {4.5, 0.0, -2.0}) pixels.push_back(pixel(1, r, fi, fit, x, y));
                }
            }
        }
    }
    return pixels;
}

std::string describe(int formula) {
    return "formula " + std::to_string(formula) + " (" + std::string(shapeFormulaFacts(formula).name) + ")";
}

// Equal, or both failed.
bool sameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Adding a formula to the table without its statements in the reference
// sweep would leave the tests comparing it with nothing.
TEST(ShapeFormulas, EveryFormulaHasReferenceStatements) {
    for (int formula = 1; formula <= kShapeFormulaCount; ++formula) {
        FormState s;
        EXPECT_TRUE(reference::shapeStatements(formula, s))
            << describe(formula) << " has no statements in tests/support/reference_sweep.cpp";
    }
    for (int unknown : {0, kShapeFormulaCount + 1}) {
        FormState s;
        EXPECT_FALSE(reference::shapeStatements(unknown, s)) << unknown;
    }
}

// Each formula of the table gives, bit for bit, the value of the reference's
// statements, or fails where they fail.
TEST(ShapeFormulas, EqualTheReferenceStatements) {
    const double kBefore = -123.25;
    for (int formula = 1; formula <= kShapeFormulaCount; ++formula) {
        int differing = 0;
        for (PixelState p : samplePixels()) {
            FormState s;
            s.r = Number::real(p.r);
            s.fi = Number::real(p.fi);
            s.fit = Number::real(p.fit);
            s.x = Number::real(p.x);
            s.y = Number::real(p.y);
            s.ba = Number::real(kBefore);
            if (!reference::shapeStatements(formula, s)) break;  // EveryFormulaHasReferenceStatements says so
            p.tip1 = formula;
            p.ba = kBefore;
            ShapeValue(p);
            if (p.ba != s.ba.value() && differing++ == 0) {
                ADD_FAILURE() << describe(formula) << " at r=" << p.r << " fi=" << p.fi << " fit=" << p.fit
                              << " x=" << p.x << " y=" << p.y << ": " << p.ba << ", the reference " << s.ba.value();
            }
        }
        EXPECT_EQ(differing, 0) << describe(formula) << ": sample points that differ";
    }
}

// The sweep takes fi and the sine and cosine of r only for the formulas
// whose entry says they read them: a formula that says it does not must
// give the same value whatever they hold, and one that says it does must
// depend on them somewhere.
TEST(ShapeFormulas, ReadWhatTheTableSays) {
    for (int formula = 1; formula <= kShapeFormulaCount; ++formula) {
        const ShapeFormulaFacts& facts = shapeFormulaFacts(formula);
        bool dependsOnFi = false, dependsOnTrigOfR = false;
        for (const PixelState& p : samplePixels()) {
            const double value = shapeFormula(formula, p);
            PixelState otherFi = p;
            otherFi.fi = p.fi + 0.375;
            PixelState otherTrig = p;
            otherTrig.sinR = -0.625;
            otherTrig.cosR = 0.25;
            dependsOnFi |= !sameValue(shapeFormula(formula, otherFi), value);
            dependsOnTrigOfR |= !sameValue(shapeFormula(formula, otherTrig), value);
        }
        EXPECT_EQ(dependsOnFi, facts.readsFi) << describe(formula) << ": readsFi";
        EXPECT_EQ(dependsOnTrigOfR, facts.readsTrigOfR) << describe(formula) << ": readsTrigOfR";
    }
}

}  // namespace
}  // namespace ts
