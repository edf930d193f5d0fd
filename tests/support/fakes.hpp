#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/text_dialog.hpp"
#include "platform/clock.hpp"
#include "platform/random_source.hpp"

namespace ts::testing {

// A generator that yields the same value at every draw and counts the draws.
class ConstantRandom final : public RandomSource {
public:
    explicit ConstantRandom(float value) : value_(value) {}

    float reset(double) override { return value_; }
    void reseed(double) override {}
    float next() override {
        ++draws;
        return value_;
    }

    int draws = 0;

private:
    float value_;
};

// A generator that yields a given list of values, one per draw, and fails the
// test (through `exhausted`) when asked for more.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> values) : values_(std::move(values)) {}

    float reset(double) override { return 0; }
    void reseed(double) override {}
    float next() override {
        if (next_ >= values_.size()) {
            exhausted = true;
            return 0;
        }
        return values_[next_++];
    }

    std::size_t drawn() const { return next_; }
    bool exhausted = false;

private:
    std::vector<float> values_;
    std::size_t next_ = 0;
};

// The moment every test picture is named after.
inline FixedClock testClock() { return FixedClock("03-08-2026", "14:05:09", 50709.25f); }

// A text dialog that returns given answers in turn, then `answer` (by
// default a cancel), and records how it was asked; `onAsk` may look around
// first.
class ScriptedDialog final : public TextDialog {
public:
    ScriptedDialog() = default;
    explicit ScriptedDialog(std::vector<std::optional<std::string>> answers) : answers_(std::move(answers)) {}

    std::optional<std::string> ask(const TextRequest& request) override {
        requests.push_back(request);
        if (onAsk) onAsk();
        return asked_ < answers_.size() ? answers_[asked_++] : answer;
    }

    std::optional<std::string> answer;
    std::function<void()> onAsk;
    std::vector<TextRequest> requests;

private:
    std::vector<std::optional<std::string>> answers_;
    std::size_t asked_ = 0;
};

}  // namespace ts::testing
