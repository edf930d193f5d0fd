#pragma once

#include "state/form_state.hpp"

namespace ts {

// The FormState members the per-pixel procedures read and write, under the
// same names, held as plain doubles for the length of one sweep (an empty
// member reads as 0, which a double 0 reproduces in every formula). The sweep
// loads them from FormState before its first pixel and stores them back after
// its last one, so their values still carry from pixel to pixel and from
// picture to picture.
//
// On this path a statement that fails yields NaN (or an infinity) instead of
// a value, and its target is only stored when the result is finite: the
// target keeps what the previous pixel left, exactly as a failed statement
// must (see numeric/fast_real.hpp).
struct PixelState {
    // Fixed for the whole picture (see FormState for their meaning).
    double fi0 = 0, r0 = 0, korakfi1 = 0;
    double fak1 = 0, fak2 = 0, fak3 = 0;
    // The selectors as whole numbers; a value without a case of its own
    // selects the first case.
    int tip1 = 1;  // shape formula, 1..kShapeFormulaCount (state/shape_formulas.hpp)
    int tip2 = 1;  // channel mode, 1..3
    int tip3 = 1;  // mixing mode, 1..4

    // The current pixel's plane coordinates, and the sines and cosines of
    // them that the shape formulas use (fixed per column and per row).
    double x = 0, y = 0;
    double sinX = 0, sinY = 0, cosY = 0;

    // Members written per pixel.
    double fi1 = 0, fit = 0, r = 0, fi = 0;
    double ba = 0, re = 0, gr = 0, bl = 0, barva = 0;

    // Sines and cosines of the pole angle and of the distance, taken once per
    // pixel and shared by the formulas that need them.
    double sinFit = 0, cosFit = 0, sinR = 0, cosR = 0;
    bool needsTrigOfR = true;

    // Only some formulas read fi. For the others the sweep keeps the terms
    // of the last slope that would have been stored (pendingY / pendingX)
    // and takes its arctangent once, at the end, which leaves fi exactly as
    // computing it at every pixel would.
    bool needsFi = true;
    bool fiPending = false;
    double pendingX = 0, pendingY = 0;

    // Whether a member has been stored (a member never stored stays empty).
    bool fitSet = false, rSet = false, fiSet = false, baSet = false;
    bool reSet = false, grSet = false, blSet = false, barvaSet = false;

    static PixelState load(const FormState& s);
    void store(FormState& s) const;
};

}  // namespace ts
