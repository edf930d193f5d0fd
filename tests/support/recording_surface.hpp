#pragma once

#include <string>
#include <vector>

#include "platform/surface.hpp"

namespace ts::testing {

// A surface that keeps a log of every call made on it, in order.
class RecordingSurface final : public Surface {
public:
    struct Call {
        std::string op;
        std::vector<float> args;
        std::string text;
        Colour colour;
        friend bool operator==(const Call&, const Call&) = default;
    };

    std::vector<Call> calls;

    void setPixel(float x, float y, Colour c) override { calls.push_back({"setPixel", {x, y}, {}, c}); }
    Colour pixel(float, float) const override { return Colour::black(); }
    void line(float x1, float y1, float x2, float y2, Colour c) override {
        calls.push_back({"line", {x1, y1, x2, y2}, {}, c});
    }
    void setTextX(float x) override { calls.push_back({"setTextX", {x}, {}, {}}); }
    void setTextY(float y) override { calls.push_back({"setTextY", {y}, {}, {}}); }
    void print(std::string_view text) override { calls.push_back({"print", {}, std::string(text), {}}); }
    void setFontSize(float points) override { calls.push_back({"setFontSize", {points}, {}, {}}); }
    void setTextColour(Colour c) override { calls.push_back({"setTextColour", {}, {}, c}); }
    void clear() override { calls.push_back({"clear", {}, {}, {}}); }
    void setBackground(Colour c) override { calls.push_back({"setBackground", {}, {}, c}); }

    std::vector<Call> callsNamed(const std::string& op) const {
        std::vector<Call> out;
        for (const Call& c : calls)
            if (c.op == op) out.push_back(c);
        return out;
    }
};

}  // namespace ts::testing
