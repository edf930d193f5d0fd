#include "platform/random_source.hpp"

#include <bit>

namespace ts {

float SplitMixGenerator::reset(double v) {
    state_ = std::bit_cast<std::uint64_t>(v);
    return next();
}

void SplitMixGenerator::reseed(double v) { state_ ^= std::bit_cast<std::uint64_t>(v); }

float SplitMixGenerator::next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z = z ^ (z >> 31);
    // The top 24 bits: exact in single precision, at most 1 - 2^-24.
    return static_cast<float>(z >> 40) / 16777216.0f;
}

}  // namespace ts
