#include "annotate/info_line.hpp"

#include "numeric/operations.hpp"
#include "state/layout.hpp"

namespace ts {

std::string parameterLine(const FormState& s) {
    return "tip1=" + toText(s.tip1) + "  tip2=" + toText(s.tip2) + "  tip3=" + toText(s.tip3) +
           "  seed=" + toText(s.seed);
}

void DrawInfoLine(FormState& s, Surface& window) {
    using layout::kInfoBand;
    const Colour grey = Colour::fromRgb(200, 200, 200);
    for (int i = kInfoBand.x; i <= kInfoBand.right(); ++i) {
        s.i = Number::int16(static_cast<std::int16_t>(i));
        window.line(static_cast<float>(i), static_cast<float>(kInfoBand.y), static_cast<float>(i),
                    static_cast<float>(kInfoBand.bottom()), grey);
    }
    s.i = Number::int16(static_cast<std::int16_t>(kInfoBand.right() + 1));
    window.setTextX(static_cast<float>(layout::kInfoTextX));
    window.setTextY(static_cast<float>(layout::kInfoTextY));
    window.print(parameterLine(s));
}

}  // namespace ts
