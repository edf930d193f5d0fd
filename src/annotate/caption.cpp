#include "annotate/caption.hpp"

#include <algorithm>
#include <optional>

#include "annotate/caption_text.hpp"
#include "numeric/check.hpp"
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
    LineBreaker(const CaptionMeasure& measure, float points, float room)
        : measure_(measure), points_(points), room_(room) {}

    bool fits(std::u32string_view text) const { return measure_.width(text, points_) <= room_; }

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
    const CaptionMeasure& measure_;
    float points_;
    float room_;
};

CaptionLayout laidOut(float points, std::vector<std::string> lines, const CaptionMeasure& measure,
                      const CaptionFrame& frame) {
    CaptionLayout layout;
    layout.points = points;
    layout.lineHeight = measure.lineHeight(points);
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

float CaptionFontMeasure::width(std::u32string_view text, float points) const {
    auto known = ems_.find(std::u32string(text));
    if (known == ems_.end()) known = ems_.emplace(text, shapeCaptionLine(text).advance).first;
    return static_cast<float>(known->second * pixelsPerEm(points));
}

float CaptionFontMeasure::lineHeight(float points) const { return captionLineSpacing(points); }

CaptionLayout layoutCaption(std::string_view text, float largestPoints, const CaptionMeasure& measure,
                            const CaptionFrame& frame) {
    const std::u32string characters = codePoints(text);
    if (characters.empty()) return {};
    // The edge reaches a pixel (scaled) past the glyphs.
    const float room = frame.right - frame.left - frame.scale;
    const float largest = largestPoints * frame.scale, smallest = kSmallestCaptionPoints * frame.scale;
    for (int lines = 1; lines <= kMostCaptionLines; ++lines) {
        for (float points = largest; points >= smallest; points -= frame.scale) {
            if (auto cut = LineBreaker(measure, points, room).lines(characters, lines)) {
                return laidOut(points, std::move(*cut), measure, frame);
            }
        }
    }
    const float points = std::min(largest, kLastResortPoints * frame.scale);
    return laidOut(points, *LineBreaker(measure, points, room).lines(characters, static_cast<int>(characters.size())),
                   measure, frame);
}

CaptionLayout captionLayout(const FormState& s, const CaptionMeasure& measure, const CaptionFrame& frame) {
    const Number size = captionSize(s);
    return layoutCaption(s.t, size.isEmpty() ? 0 : static_cast<float>(size.value()), measure, frame);
}

void PrintCaption(FormState& s, Raster& canvas, Surface& window) {
    if (!s.t.empty()) {
        const Outcome fonts = loadCaptionFonts();
        TS_CHECK(fonts, fonts.message.c_str());
        const CaptionFrame frame = captionFrame(canvas.width(), canvas.height());
        const CaptionLayout layout = captionLayout(s, CaptionFontMeasure(), frame);
        for (std::size_t k = 0; k < layout.lines.size(); ++k) {
            drawCaptionText(canvas, frame.left, layout.top + static_cast<float>(k) * layout.lineHeight,
                            codePoints(layout.lines[k]), layout.points, Colour::white(), Colour::black());
        }
    }
    window.setTextX(static_cast<float>(layout::kStarX));
    window.setTextY(static_cast<float>(layout::kStarY));
    window.print("*");
}

}  // namespace ts
