#include "annotate/caption.hpp"

#include <algorithm>
#include <optional>

#include "numeric/statement.hpp"
#include "seed/character_code.hpp"
#include "state/layout.hpp"

namespace ts {

namespace {

// A text that no font size and line count above fits is set at this size,
// on as many lines as it takes.
constexpr float kLastResortPoints = 6;
constexpr int kMostCaptionLines = 8;

class LineBreaker {
public:
    // `room` is the widest a line may be.
    LineBreaker(const Surface& canvas, float points, float room) : canvas_(canvas), points_(points), room_(room) {}

    bool fits(std::u32string_view text) const { return canvas_.textWidth(utf8(text), points_) <= room_; }

    // The text cut into lines that fit, or nothing when that takes more than
    // `mostLines`.
    std::optional<std::vector<std::string>> lines(std::u32string_view rest, int mostLines) const {
        std::vector<std::string> out;
        while (!rest.empty()) {
            if (static_cast<int>(out.size()) == mostLines) return std::nullopt;
            if (fits(rest)) {
                out.push_back(utf8(rest));
                break;
            }
            // The most characters that fit (at least one), found by halving.
            std::size_t low = 1, high = rest.size() - 1;
            while (low < high) {
                const std::size_t middle = (low + high + 1) / 2;
                if (fits(rest.substr(0, middle)))
                    low = middle;
                else
                    high = middle - 1;
            }
            // Break after the last whole word, when the line has one.
            std::size_t end = low;
            if (rest[end] != U' ') {
                const std::size_t space = rest.substr(0, end).find_last_of(U' ');
                if (space != std::u32string_view::npos &&
                    rest.substr(0, space).find_first_not_of(U' ') != std::u32string_view::npos)
                    end = space;
            }
            std::u32string_view line = rest.substr(0, end);
            while (line.size() > 1 && line.back() == U' ') line.remove_suffix(1);
            out.push_back(utf8(line));
            rest.remove_prefix(end);
            while (!rest.empty() && rest.front() == U' ') rest.remove_prefix(1);
        }
        return out;
    }

private:
    const Surface& canvas_;
    float points_;
    float room_;
};

CaptionLayout laidOut(float points, std::vector<std::string> lines, const Surface& canvas, const CaptionFrame& frame) {
    CaptionLayout layout;
    layout.points = points;
    layout.lineHeight = canvas.lineHeight(points);
    layout.top = frame.lastTop - static_cast<float>(lines.size() - 1) * layout.lineHeight;
    if (layout.top < 0) layout.top = 0;
    layout.lines = std::move(lines);
    return layout;
}

}  // namespace

Number captionSize(const FormState& s) {
    Number size;  // starts empty at every call
    const Result quotient = divide(Number::int16(500), s.dolz);
    const Result log = quotient ? logarithm(*quotient) : std::nullopt;
    const Result whole = log ? intPart(*log) : std::nullopt;
    assign(size, whole ? add(*whole, Number::int16(9)) : std::nullopt);
    return size;
}

CaptionFrame captionFrame(int width, int height) {
    if (width == layout::kCanvasWidth && height == layout::kCanvasHeight) return {};
    const float scale = static_cast<float>(height) / static_cast<float>(layout::kCanvasHeight);
    return {scale, kCaptionLeft * scale, static_cast<float>(width) - kCaptionLeft * scale, kCaptionTop * scale};
}

CaptionLayout layoutCaption(std::string_view text, float largestPoints, const Surface& canvas,
                            const CaptionFrame& frame) {
    const std::u32string characters = codePoints(text);
    if (characters.empty()) return {};
    // The outline reaches a pixel (scaled) past the glyphs.
    const float room = frame.right - frame.left - frame.scale;
    const float largest = largestPoints * frame.scale, smallest = kSmallestCaptionPoints * frame.scale;
    for (int lines = 1; lines <= kMostCaptionLines; ++lines) {
        for (float points = largest; points >= smallest; points -= frame.scale) {
            if (auto cut = LineBreaker(canvas, points, room).lines(characters, lines)) {
                return laidOut(points, std::move(*cut), canvas, frame);
            }
        }
    }
    const float points = std::min(largest, kLastResortPoints * frame.scale);
    return laidOut(points, *LineBreaker(canvas, points, room).lines(characters, static_cast<int>(characters.size())),
                   canvas, frame);
}

void PrintCaption(FormState& s, Surface& canvas, Surface& window, const CaptionFrame& frame) {
    const float largest = static_cast<float>(captionSize(s).value());
    const CaptionLayout layout = layoutCaption(s.t, largest, canvas, frame);
    canvas.setFontSize(layout.lines.empty() ? largest : layout.points);
    canvas.setTextColour(Colour::white());
    canvas.setTextOutline(Colour::black());
    for (std::size_t k = 0; k < layout.lines.size(); ++k) {
        canvas.setTextX(frame.left);
        canvas.setTextY(layout.top + static_cast<float>(k) * layout.lineHeight);
        canvas.print(layout.lines[k]);
    }
    canvas.setTextOutline(std::nullopt);
    window.setTextX(static_cast<float>(layout::kStarX));
    window.setTextY(static_cast<float>(layout::kStarY));
    window.print("*");
}

}  // namespace ts
