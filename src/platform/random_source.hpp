#pragma once

#include <cstdint>

namespace ts {

// The pseudo-random generator the palette and the parameters are drawn from.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Puts the generator into the state chosen by v, whatever it was before,
    // and returns the one value the reset yields (callers discard it).
    virtual float reset(double v) = 0;
    // Mixes v into the current state.
    virtual void reseed(double v) = 0;
    // The next value r, 0 <= r < 1, in single precision.
    virtual float next() = 0;
};

// Our generator: a SplitMix64 step over one 64-bit state. Every picture
// depends on it, so its algorithm and constants must never change.
class SplitMixGenerator final : public RandomSource {
public:
    float reset(double v) override;
    void reseed(double v) override;
    float next() override;

    std::uint64_t state() const { return state_; }

private:
    std::uint64_t state_ = 0;
};

}  // namespace ts
