#include "annotate/caption.hpp"

#include "numeric/statement.hpp"
#include "state/layout.hpp"

namespace ts {

Number captionSize(const FormState& s) {
    Number size;  // starts empty at every call
    const Result quotient = divide(Number::int16(500), s.dolz);
    const Result log = quotient ? logarithm(*quotient) : std::nullopt;
    const Result whole = log ? intPart(*log) : std::nullopt;
    assign(size, whole ? add(*whole, Number::int16(9)) : std::nullopt);
    return size;
}

void PrintCaption(FormState& s, Surface& canvas, Surface& window) {
    canvas.setFontSize(static_cast<float>(captionSize(s).value()));
    canvas.setTextColour(Colour::white());
    canvas.setTextX(10);
    canvas.setTextY(415);
    canvas.print(s.t);
    window.setTextX(static_cast<float>(layout::kStarX));
    window.setTextY(static_cast<float>(layout::kStarY));
    window.print("*");
}

}  // namespace ts
