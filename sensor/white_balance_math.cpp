#include "sensor/white_balance_math.h"

namespace velk {
namespace {

std::uint32_t BalancedIntValue(std::int64_t average, std::uint32_t intValue, std::int32_t level)
{
    if (level <= 0) return intValue;
    // (R + G + B') / 3 lies within the int range, so |average| <= 2^31 and with
    // intValue < 2^32 the product stays below 2^63.
    const std::int64_t scaled = average * std::int64_t{intValue} / level;
    if (scaled < 0) return 0;
    if (scaled > std::int64_t{kIntValueMax}) return kIntValueMax;
    return static_cast<std::uint32_t>(scaled);
}

}  // namespace

IntValues BalanceWhite(const WhiteBalanceLevels& levels, const IntValues& current)
{
    const std::int64_t average =
        (std::int64_t{levels.red} + std::int64_t{levels.green} + std::int64_t{levels.blue}) / 3;
    return {
        BalancedIntValue(average, current.red, levels.red),
        BalancedIntValue(average, current.green, levels.green),
        BalancedIntValue(average, current.blue, levels.blue),
        BalancedIntValue(average, current.clear, levels.clear),
    };
}

}  // namespace velk
