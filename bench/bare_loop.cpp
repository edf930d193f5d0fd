#include "bare_loop.hpp"

#include <cmath>

#include "colour/palette_window.hpp"
#include "numeric/fast_real.hpp"
#include "render/shape_value.hpp"
#include "state/pixel_state.hpp"

namespace ts::bench {

BareParameters BareParameters::from(const FormState& s) {
    // The same selection and picture constants the engine's sweep starts from.
    const PixelState start = PixelState::load(s);
    BareParameters p;
    p.tip1 = start.tip1;
    p.tip2 = start.tip2;
    p.tip3 = start.tip3;
    p.fi0 = start.fi0;
    p.r0 = start.r0;
    p.korakfi1 = start.korakfi1;
    p.fak1 = start.fak1;
    p.fak2 = start.fak2;
    p.fak3 = start.fak3;
    p.needsFi = start.needsFi;
    p.needsTrigOfR = start.needsTrigOfR;
    const PaletteWindow window = PaletteWindow::load(s);
    for (int m = 0; m < 280; ++m) p.window[static_cast<std::size_t>(m)] = window[m].pixel();
    return p;
}

void bareLoop(const BareParameters& p, std::vector<std::uint32_t>& pixels) {
    constexpr int kWidth = 600, kHeight = 450;
    const int f = p.tip1;
    const bool needsFi = p.needsFi;
    const bool needsTrigOfR = p.needsTrigOfR;

    double ys[kHeight + 1], sinYs[kHeight + 1], cosYs[kHeight + 1];
    for (int j = 0; j <= kHeight; ++j) {
        ys[j] = 4.5 - j / 50.0;
        sinYs[j] = std::sin(ys[j]);
        cosYs[j] = std::cos(ys[j]);
    }

    double fi1 = 0, fi = 0, sinR = 0, cosR = 0;
    PixelState q;  // what the table's shape formulas read
    for (int i = 0; i <= kWidth; ++i) {
        const double x = i / 50.0 - 6;
        const double sinX = std::sin(x);
        for (int j = 0; j <= kHeight; ++j) {
            const double y = ys[j], sinY = sinYs[j], cosY = cosYs[j];
            fi1 += p.korakfi1;
            const double fit = p.fi0 + fi1;
            const double sinFit = std::sin(fit), cosFit = std::cos(fit);
            const double xrel = p.r0 * cosFit - x, yrel = p.r0 * sinFit - y;
            const double r = std::sqrt(xrel * xrel + yrel * yrel);
            if (needsFi) fi = std::atan(yrel / xrel);
            if (needsTrigOfR) {
                sinR = std::sin(r);
                cosR = std::cos(r);
            }

            q.r = r;
            q.fi = fi;
            q.fit = fit;
            q.x = x;
            q.y = y;
            q.sinR = sinR;
            q.sinX = sinX;
            q.sinY = sinY;
            q.cosY = cosY;
            const double ba = shapeFormula(f, q);

            double re, gr, bl;
            switch (p.tip2) {
                default:
                case 1:
                    re = std::fabs(ba * p.fak1);
                    gr = std::fabs(ba * p.fak2);
                    bl = std::fabs(ba * p.fak3);
                    break;
                case 2:
                    re = std::fabs(ba * (10 + sinR));
                    gr = std::fabs(ba * (10 + cosR));
                    bl = std::fabs(ba * (10 + sinFit));
                    break;
                case 3:
                    re = std::fabs(ba * (p.fak1 + sinR));
                    gr = std::fabs(ba * (p.fak2 + cosR));
                    bl = std::fabs(ba * (p.fak3 + sinFit));
                    break;
            }

            double barva;
            switch (p.tip3) {
                default:
                case 1:
                    barva = (re + gr) + bl;
                    break;
                case 2:
                    barva = (re + gr) + (bl * (1 + sinR));
                    break;
                case 3:
                    barva = re / r + gr / std::sqrt(r);
                    break;
                case 4:
                    barva = ((re * sinFit) + (gr * sinR)) + (bl * cosR);
                    break;
            }

            // Written so that a NaN lands on 1 too, which keeps the index
            // inside the window; nothing else is checked.
            if (!(barva >= 1)) barva = 1;
            if (barva > 675) barva = 675;
            const int m = static_cast<int>(fast::roundHalfEvenSmall(barva)) % 280;
            if (i < kWidth && j < kHeight) pixels[static_cast<std::size_t>(j) * kWidth + i] = p.window[m];
        }
    }
}

}  // namespace ts::bench
