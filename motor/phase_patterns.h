#pragma once

#include <array>
#include <cstdint>

namespace stepdial {

// Full stepping with two neighbouring coils on; bit 0 is coil A, bit 3 coil D.
// A rising position runs the table downward, a falling one upward.
inline constexpr std::array<std::uint8_t, 4> PhasePatterns{3, 6, 12, 9};

// Floored remainder: position -1 is phase 3, so the coils keep turning in phase order
// below 0 instead of skipping three positions out of four.
constexpr int PhaseOf(std::int64_t step) {
    return static_cast<int>(((step % 4) + 4) % 4);
}

}  // namespace stepdial
