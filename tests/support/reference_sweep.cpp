#include "support/reference_sweep.hpp"

#include "numeric/check.hpp"
#include "numeric/statement.hpp"
#include "state/shape_formulas.hpp"

namespace ts::reference {
namespace {

// An operand of a formula: a value, or the failure of an operation inside
// the statement, which makes everything computed from it fail too.
struct E {
    Result v;
    E(Number n) : v(n) {}  // NOLINT: members read as operands
    E(Result r) : v(r) {}  // NOLINT
};

// A real constant inside inline arithmetic (the 1, 2 and 10 added to
// function results): double precision.
E real(double c) { return Number::real(c); }

template <class Op>
E apply(Op op, const E& a, const E& b) {
    if (!a.v || !b.v) return Result{};
    return op(*a.v, *b.v);
}
template <class Op>
E apply(Op op, const E& a) {
    if (!a.v) return Result{};
    return op(*a.v);
}

E operator+(const E& a, const E& b) { return apply(add, a, b); }
E operator-(const E& a, const E& b) { return apply(subtract, a, b); }
E operator*(const E& a, const E& b) { return apply(multiply, a, b); }
E operator/(const E& a, const E& b) { return apply(divide, a, b); }
E operator^(const E& a, const E& b) { return apply(power, a, b); }
E Mod(const E& a, const E& b) { return apply(modulo, a, b); }
E Int(const E& a) { return apply(intPart, a); }
E Abs(const E& a) { return apply(absolute, a); }
E Sqr(const E& a) { return apply(squareRoot, a); }
E Sin(const E& a) { return apply(sine, a); }
E Cos(const E& a) { return apply(cosine, a); }
E Tan(const E& a) { return apply(tangent, a); }
E Atn(const E& a) { return apply(arcTangent, a); }

// One resume-next statement: a failure leaves the target as it was.
void let(Number& target, const E& e) { assign(target, e.v); }

// A statement outside the resume-next procedures cannot be allowed to fail.
Number must(const E& e) { return require(e.v, "reference statement"); }

// The case a selector runs: its 16-bit conversion when that names a case,
// otherwise the first case.
int selectCase(Number selector, int lastCase) {
    const Result k = toInt16(selector);
    if (!k || k->value() < 1 || k->value() > lastCase) return 1;
    return static_cast<int>(k->value());
}

Number int16(int v) { return Number::int16(static_cast<std::int16_t>(v)); }

bool lessThan(Number a, Number b) { return a.value() < b.value(); }  // empty reads as 0

}  // namespace

namespace {

// The pole's statements after the one that gives fi1.
void poleAfterFi1(FormState& s) {
    Number xpole, ypole, xrel, yrel;  // start empty at every call
    let(s.fit, E(s.fi0) + s.fi1);
    let(xpole, E(s.r0) * Cos(s.fit));
    let(ypole, E(s.r0) * Sin(s.fit));
    let(xrel, E(xpole) - s.x);
    let(yrel, E(ypole) - s.y);
    let(s.r, Sqr(E(xrel) * xrel + E(yrel) * yrel));
    let(s.fi, Atn(E(yrel) / xrel));
}

}  // namespace

void PolarAboutPole(FormState& s) {
    let(s.fi1, E(s.fi1) + s.korakfi1);
    poleAfterFi1(s);
}

void PolarAboutPoleAt(FormState& s, double i, double j) {
    let(s.fi1, E(s.korakfi1) * real((451 * i + j) + 1));
    poleAfterFi1(s);
}

bool shapeStatements(int formula, FormState& s) {
    const E r = s.r, fi = s.fi, fit = s.fit, x = s.x, y = s.y;
    const E one = real(1), two = real(2);
    switch (formula) {
        case 1:
            let(s.ba, r * r);
            break;
        case 2:
            let(s.ba, r * fi);
            break;
        case 3:
            let(s.ba, (r * r) * Sin(r));
            break;
        case 4:
            let(s.ba, x * r);
            break;
        case 5:
            let(s.ba, ((r * Sin(r)) * x) * Cos(y));
            break;
        case 6:
            let(s.ba, ((r * r) * (two + Sin(fit * r))) / (r ^ (r + Sin(r))));
            break;
        case 7:
            let(s.ba, (r * Tan(fi)) * fi);
            break;
        case 8:
            let(s.ba, ((r * Tan(r)) * x) * Sin(x));
            break;
        case 9:
            let(s.ba, ((r * (one + Sin(r))) + (x * (one + Sin(x)))) + (y * (one + Sin(y))));
            break;
        case 10:
            let(s.ba, (r * (one + Sin(r))) + (((x * (one + Sin(x))) * y) * (one + Sin(y))));
            break;
        case 11:
            let(s.ba, ((r + x) + y) / fi);
            break;
        case 12:
            let(s.ba, ((r * (one + Sin(r))) * (one + Cos(fit + r))) * fi);
            break;
        case 13:
            let(s.ba, r / fi);
            break;
        case 14:
            let(s.ba, (Sqr(r) / fi) * (r ^ (one + Sin(x))));
            break;
        case 15:
            let(s.ba, (r / Abs(x)) ^ ((one + Sin(r)) + Cos(fi)));
            break;
        default:
            return false;
    }
    return true;
}

void ShapeValue(FormState& s) {
    TS_CHECK(shapeStatements(selectCase(s.tip1, kShapeFormulaCount), s),
             "the reference sweep has statements for every shape formula");
}

void ChannelValues(FormState& s) {
    const E ba = s.ba, r = s.r, fit = s.fit;
    const E ten = real(10);
    switch (selectCase(s.tip2, 3)) {
        case 1:
            let(s.re, Abs(ba * s.fak1));
            let(s.gr, Abs(ba * s.fak2));
            let(s.bl, Abs(ba * s.fak3));
            break;
        case 2:
            let(s.re, Abs(ba * (ten + Sin(r))));
            let(s.gr, Abs(ba * (ten + Cos(r))));
            let(s.bl, Abs(ba * (ten + Sin(fit))));
            break;
        case 3:
            let(s.re, Abs(ba * (E(s.fak1) + Sin(r))));
            let(s.gr, Abs(ba * (E(s.fak2) + Cos(r))));
            let(s.bl, Abs(ba * (E(s.fak3) + Sin(fit))));
            break;
    }
}

void MixColourIndex(FormState& s) {
    const E re = s.re, gr = s.gr, bl = s.bl, r = s.r, fit = s.fit;
    switch (selectCase(s.tip3, 4)) {
        case 1:
            let(s.barva, (re + gr) + bl);
            break;
        case 2:
            let(s.barva, (re + gr) + (bl * (real(1) + Sin(r))));
            break;
        case 3:
            let(s.barva, (re / r) + (gr / Sqr(r)));
            break;
        case 4:
            let(s.barva, ((re * Sin(fit)) + (gr * Sin(r))) + (bl * Cos(r)));
            break;
    }
}

void PlotPixel(FormState& s, Raster& canvas) {
    if (lessThan(s.barva, int16(1))) s.barva = int16(1);
    if (lessThan(int16(675), s.barva)) s.barva = int16(675);
    const Number k = must(Int(Mod(s.barva, int16(280)) + s.pozic0));
    const auto& entry = s.palette.at(static_cast<std::size_t>(k.value()));
    const Number red = must(toInt16(entry[1]));
    const Number green = must(toInt16(entry[2]));
    const Number blue = must(toInt16(entry[3]));
    const Number code = must((E(red) + E(int16(256)) * green) + E(Number::int32(65536)) * blue);
    canvas.set(static_cast<int>(must(toSingle(s.i)).value()), static_cast<int>(must(toSingle(s.j)).value()),
               Colour::fromCode(static_cast<std::int32_t>(code.value())));
}

void RenderField(FormState& s, Raster& canvas, const std::function<void(const FormState&)>& afterPixel) {
    const int lastColumn = static_cast<int>(must(toInt16(s.sir)).value());
    const int lastRow = static_cast<int>(must(toInt16(s.vis)).value());
    int i = 0;
    for (; i <= lastColumn; ++i) {
        s.i = int16(i);
        int j = 0;
        for (; j <= lastRow; ++j) {
            s.j = int16(j);
            s.x = must((E(s.i) / s.dx) - s.polx);
            s.y = must(E(s.poly) - (E(s.j) / s.dy));
            PolarAboutPole(s);
            ShapeValue(s);
            ChannelValues(s);
            MixColourIndex(s);
            PlotPixel(s, canvas);
            if (afterPixel) afterPixel(s);
        }
        s.j = int16(j);
    }
    s.i = int16(i);
}

void RenderFieldAtSize(FormState& s, Raster& canvas) {
    const int width = canvas.width(), height = canvas.height();
    const double scale = height / 450.0;
    const double ox = (width - 600 * scale) / 2;
    for (int column = 0; column <= width; ++column) {
        for (int row = 0; row <= height; ++row) {
            s.i = int16(column);
            s.j = int16(row);
            const double i = (column - ox) / scale, j = row / scale;
            s.x = Number::real(i / 50 - 6);
            s.y = Number::real(4.5 - j / 50);
            PolarAboutPoleAt(s, i, j);
            ShapeValue(s);
            ChannelValues(s);
            MixColourIndex(s);
            PlotPixel(s, canvas);
        }
    }
    s.i = int16(width + 1);
    s.j = int16(height + 1);
}

}  // namespace ts::reference
