#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/raster.hpp"
#include "platform/surface.hpp"
#include "state/form_state.hpp"

namespace ts {

// The caption's font size for a text of dolz characters: Int(Log(500 / dolz))
// + 9, from 15 points for one character down to 10 for 68 to 100. Empty for
// the empty text, where the division fails.
Number captionSize(const FormState& s);

// Where the caption's lines start on the 600 x 450 picture: the last
// line's top is at kCaptionTop, the lines before it lie above, each starts
// at kCaptionLeft, and none runs past kCaptionRight.
inline constexpr float kCaptionLeft = 10;
inline constexpr float kCaptionRight = 590;
inline constexpr float kCaptionTop = 415;
// The caption shrinks no further than this before it takes another line.
inline constexpr float kSmallestCaptionPoints = 9;

// The caption's place on a picture: the standard one's, scaled as the
// picture's composition is (by its height over 450), in the lower-left
// corner, with the same margins (scaled) on either side.
struct CaptionFrame {
    float scale = 1;
    float left = kCaptionLeft;
    float right = kCaptionRight;
    float lastTop = kCaptionTop;
};

// The frame of a picture of width x height pixels; at 600 x 450 the
// standard one.
CaptionFrame captionFrame(int width, int height);

// How wide the caption's text is at a size, and how far apart its lines
// lie, in pixels.
class CaptionMeasure {
public:
    virtual ~CaptionMeasure() = default;
    virtual float width(std::u32string_view text, float points) const = 0;
    virtual float lineHeight(float points) const = 0;
};

// The caption's fonts, measured as they draw (caption_text.hpp); a text
// measured once is remembered for as long as the measure lives.
class CaptionFontMeasure final : public CaptionMeasure {
public:
    float width(std::u32string_view text, float points) const override;
    float lineHeight(float points) const override;

private:
    mutable std::unordered_map<std::u32string, double> ems_;
};

// The caption as it is printed: its size and its lines, top to bottom.
struct CaptionLayout {
    float points = 0;
    std::vector<std::string> lines;
    float top = kCaptionTop;  // the first line's
    float lineHeight = 0;
};

// How the caption of `text` fits between the frame's left and right: at
// `largestPoints` (times the frame's scale) on one line when it fits there;
// else on as few lines as possible, each line at the largest size from
// there down to kSmallestCaptionPoints (scaled), a point (scaled) at a time,
// that lets the text fit in that many. Lines break after a word where one
// ends in time, else between two characters. No lines for the empty text.
CaptionLayout layoutCaption(std::string_view text, float largestPoints, const CaptionMeasure& measure,
                            const CaptionFrame& frame = {});

// The layout PrintCaption draws: the text of `s` with captionSize as its
// largest size.
CaptionLayout captionLayout(const FormState& s, const CaptionMeasure& measure, const CaptionFrame& frame = {});

// Prints the text in white with a thin black edge into the lower-left
// corner of the canvas, laid out by captionLayout in the caption fonts on
// the canvas's frame (captionFrame of its size), then a "*" at (1, 1) of the
// window. The caption fonts must load (loadCaptionFonts): the program stops
// here when they do not.
void PrintCaption(FormState& s, Raster& canvas, Surface& window);

}  // namespace ts
