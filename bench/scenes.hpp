#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "picture/picture.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"
#include "state/shape_formulas.hpp"

// The pictures the benchmarks draw: one per shape formula, named after a
// fixed moment, each with its text's own channel and mixing modes.

// The state a picture of `text` starts its sweep from, through the program's
// own picture sequence.
inline ts::FormState pictureOf(const std::string& text) {
    ts::FormState s;
    ts::SplitMixGenerator random;
    ts::FixedClock clock("03-08-2026", "12:00:00");
    ts::RasterSurface unused(1, 1);
    ts::PictureTools tools{unused, unused, clock, random};
    ts::SetGeometry(s);
    ts::PreparePicture(s, text, tools);
    return s;
}

struct FormulaScene {
    int formula = 0;
    std::string text;
    ts::FormState start;
};

// For each formula in turn, the first of "picture 1", "picture 2", ... whose
// picture uses it; found once per run.
inline const std::vector<FormulaScene>& formulaScenes() {
    static const std::vector<FormulaScene> scenes = [] {
        std::vector<FormulaScene> found(static_cast<std::size_t>(ts::kShapeFormulaCount));
        int count = 0;
        for (int n = 1; count < ts::kShapeFormulaCount; ++n) {
            const std::string text = "picture " + std::to_string(n);
            ts::FormState s = pictureOf(text);
            FormulaScene& scene = found[static_cast<std::size_t>(s.tip1.value()) - 1];
            if (scene.formula != 0) continue;
            scene = {static_cast<int>(s.tip1.value()), text, s};
            ++count;
        }
        return found;
    }();
    return scenes;
}

inline std::string label(const FormulaScene& scene) {
    return "\"" + scene.text + "\" tip2=" + std::to_string(static_cast<int>(scene.start.tip2.value())) +
           " tip3=" + std::to_string(static_cast<int>(scene.start.tip3.value()));
}

// "BM_Kind/formula_07": the name a benchmark registers and its summary finds.
inline std::string benchmarkName(const char* kind, int formula) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s/formula_%02d", kind, formula);
    return buffer;
}
