#include "annotate/info_line.hpp"

#include "numeric/operations.hpp"

namespace ts {

std::string parameterLine(const FormState& s) {
    return "tip1=" + toText(s.tip1) + "  tip2=" + toText(s.tip2) + "  tip3=" + toText(s.tip3) +
           "  seed=" + toText(s.seed);
}

void DrawInfoLine(FormState& s, Surface& window) {
    constexpr std::int16_t kFirst = 650, kLast = 880;
    const Colour grey = Colour::fromRgb(200, 200, 200);
    for (std::int16_t i = kFirst; i <= kLast; ++i) {
        s.i = Number::int16(i);
        window.line(i, 560, i, 580, grey);
    }
    s.i = Number::int16(kLast + 1);
    window.setTextX(660);
    window.setTextY(564);
    window.print(parameterLine(s));
}

}  // namespace ts
