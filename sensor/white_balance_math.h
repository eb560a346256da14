#pragma once

// Arithmetic of the one-click white balance: each channel's INT value scaled by
// the average of red, green and blue over that channel's own level.

#include <cstdint>

namespace velk {

// Levels as the level labels show them (blue after the blue gain).
struct WhiteBalanceLevels {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    std::int32_t clear = 0;
};

struct IntValues {
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
    std::uint32_t clear = 0;
};

inline constexpr std::uint32_t kIntValueMax = 1023;

// New INT = (R + G + B') / 3 * INT / level, truncated, in 64 bits and limited
// to 0..1023 (the register is 10 bits wide). A level of zero or below -- zero
// is what the labels show before the first reading -- leaves that channel's
// INT value as it was.
IntValues BalanceWhite(const WhiteBalanceLevels& levels, const IntValues& current);

}  // namespace velk
