#pragma once

#include <cstdint>
#include <sstream>
#include <string>

#include "numeric/operations.hpp"
#include "platform/raster.hpp"
#include "state/form_state.hpp"

// Small pictures for comparing sweeps: the canvas, the states they start
// from and the ways to say where two results part.
namespace ts::testing {

inline Number i16(int v) { return Number::int16(static_cast<std::int16_t>(v)); }

// "same", or the first pixel, in the sweep's column-by-column order, where
// the two canvases differ and the two colour codes there.
inline std::string firstDifference(const Raster& a, const Raster& b) {
    if (a.width() != b.width() || a.height() != b.height()) return "different sizes";
    for (int x = 0; x < a.width(); ++x) {
        for (int y = 0; y < a.height(); ++y) {
            if (a.at(x, y) != b.at(x, y)) {
                std::ostringstream out;
                out << "first difference at column " << x << ", row " << y << ": " << a.at(x, y).code() << " vs "
                    << b.at(x, y).code();
                return out.str();
            }
        }
    }
    return "same";
}

struct SweepMember {
    const char* name;
    Number FormState::*member;
};

// The members a sweep writes.
inline constexpr SweepMember kSweepMembers[] = {
    {"fi1", &FormState::fi1},     {"fit", &FormState::fit}, {"r", &FormState::r},   {"fi", &FormState::fi},
    {"ba", &FormState::ba},       {"re", &FormState::re},   {"gr", &FormState::gr}, {"bl", &FormState::bl},
    {"barva", &FormState::barva}, {"x", &FormState::x},     {"y", &FormState::y},   {"i", &FormState::i},
    {"j", &FormState::j},
};

// The sweep members that are not the same number of the same width, or
// "none" (empty equals only empty).
inline std::string differentMembers(const FormState& got, const FormState& want) {
    std::string out;
    for (const SweepMember& m : kSweepMembers) {
        if (!(got.*m.member == want.*m.member)) out += std::string(" ") + m.name;
    }
    return out.empty() ? "none" : out;
}

// The same with values alone: the literal reference keeps the widths its
// operations give, the engine stores doubles.
inline std::string differentValues(const FormState& got, const FormState& want) {
    std::string out;
    for (const SweepMember& m : kSweepMembers) {
        const Number a = got.*m.member, b = want.*m.member;
        if (a.isEmpty() != b.isEmpty() || a.value() != b.value()) out += std::string(" ") + m.name;
    }
    return out.empty() ? "none" : out;
}

// Geometries of a coarse canvas over the standard plane: columns 0..60 at 5
// per unit and rows 0..90 at 10 per unit, so x = 0 in column 30 and y = 0 in
// row 45 unless the plane moves them. Drawn on a 60 x 90 canvas, the last
// column and row fall outside it.
enum class Plane {
    Own,            // the text's own pole
    PoleAtOrigin,   // r0 = 0: column 30 lies below and above the pole, (30, 45) on it
    FirstColumnX0,  // as PoleAtOrigin with x = 0 in column 0: the very first visit fails
    LastColumnX0,   // as PoleAtOrigin with x = 0 in column 60, the last one
    PoleOnRow0,     // as PoleAtOrigin with y = 0 in row 0: (30, 0), a column's first visit, on the pole
    PoleFarAway,    // r0 = 1e200: the distance overflows at every visit and is never stored
    HugeStep,       // korakfi1 = 1e306: the pole angle offset overflows after a few visits and stays
    LargeStep,      // korakfi1 = 1.3e303: at the sizes of the reference pictures the offset
                    // korakfi1 * ((451 i + j) + 1) overflows in some columns and not in others
};

inline const char* name(Plane p) {
    switch (p) {
        case Plane::Own:
            return "own pole";
        case Plane::PoleAtOrigin:
            return "pole at origin";
        case Plane::FirstColumnX0:
            return "x = 0 in column 0";
        case Plane::LastColumnX0:
            return "x = 0 in column 60";
        case Plane::PoleOnRow0:
            return "pole at the top of column 30";
        case Plane::PoleFarAway:
            return "pole far away";
        case Plane::HugeStep:
            return "huge step";
        case Plane::LargeStep:
            return "large step";
    }
    return "?";
}

// Puts the coarse geometry and the plane's pole into the state; `textR0` is
// the text's own pole distance, for Plane::Own.
inline void setPlane(FormState& s, Plane plane, Number textR0) {
    s.sir = i16(60);
    s.vis = i16(90);
    s.dx = *divide(s.sir, i16(12));
    s.dy = *divide(s.vis, i16(9));
    s.polx = plane == Plane::FirstColumnX0 ? i16(0) : plane == Plane::LastColumnX0 ? i16(12) : *divide(i16(12), i16(2));
    s.poly = plane == Plane::PoleOnRow0 ? i16(0) : *divide(i16(9), i16(2));
    s.r0 = plane == Plane::Own ? textR0 : plane == Plane::PoleFarAway ? Number::real(1e200) : Number::single(0);
    s.fi1 = i16(0);
    s.korakfi1 = plane == Plane::HugeStep    ? Number::real(1e306)
                 : plane == Plane::LargeStep ? Number::real(1.3e303)
                                             : Number::real(0.0015);
}

}  // namespace ts::testing
