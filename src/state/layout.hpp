#pragma once

// Where things lie: the canvas's size and the window's fixed layout, in
// pixels from the top-left corner of the window's client area (y down).
// The stages that draw on the window and the window itself take their
// positions from here, and so do their tests.
namespace ts::layout {

struct Rect {
    int x, y, width, height;
    constexpr int right() const { return x + width - 1; }
    constexpr int bottom() const { return y + height - 1; }
};

// The picture, as the sweep draws it.
inline constexpr int kCanvasWidth = 600;
inline constexpr int kCanvasHeight = 450;

// The picture areas: the canvas Picture1, and the composite Picture2 that
// the save copies the canvas into, of the canvas's size so that the file
// saved holds exactly the canvas. The composite is not shown.
inline constexpr Rect kPicture1{32, 80, kCanvasWidth, kCanvasHeight};
inline constexpr Rect kPicture2{24, 72, kCanvasWidth, kCanvasHeight};

// The buttons, with the pixel size of their captions.
inline constexpr Rect kHeadingButton{200, 32, 265, 25};  // Command1, does nothing
inline constexpr Rect kNewButton{648, 480, 137, 17};     // Command5
inline constexpr Rect kExitButton{648, 512, 33, 17};     // Command2
inline constexpr Rect kSaveButton{688, 512, 97, 17};     // Command3
inline constexpr Rect kBannerButton{32, 560, 601, 25};   // Command4, does nothing
inline constexpr int kLargeCaptionPixels = 13;           // heading and banner
inline constexpr int kSmallCaptionPixels = 11;           // the three that act

// The grey band with the parameter line, and where the line starts in it.
inline constexpr Rect kInfoBand{650, 560, 231, 21};
inline constexpr int kInfoTextX = 660, kInfoTextY = 564;

// The "*" printed on the window once a picture has its caption.
inline constexpr int kStarX = 1, kStarY = 1;

// The save's progress mark runs along these rows, two columns right of the
// column being copied, and the column behind it is painted black again.
inline constexpr int kMarkTop = 540, kMarkBottom = 547;
inline constexpr int kMarkLead = 31, kMarkTrail = 29;

// The line that names the last saved file, beside the buttons.
inline constexpr Rect kSaveStatus{648, 533, 0, 20};  // runs to the window's right edge

// The smallest client area that holds the whole layout.
inline constexpr int kLayoutWidth = kInfoBand.right() + 1;
inline constexpr int kLayoutHeight = kBannerButton.bottom() + 1;

// The text prompt's top-left corner, in twips from the screen's corner.
inline constexpr int kPromptLeftTwips = 2200, kPromptTopTwips = 4000;

}  // namespace ts::layout
