#include "platform/text_exchange.h"

#include <charconv>
#include <limits>

namespace velk {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The trimmed text split into sign and digits; false unless it is [+-]digits.
bool Split(std::string_view text, bool* negative, std::string_view* digits)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    *negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        *negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    *digits = text;
    return true;
}

bool Magnitude(std::string_view digits, std::uint64_t* out)
{
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), *out);
    return ec == std::errc() && end == digits.data() + digits.size();
}

}  // namespace

bool ParseUnsignedText(std::string_view text, std::uint32_t* value)
{
    bool negative = false;
    std::string_view digits;
    std::uint64_t m = 0;
    if (!Split(text, &negative, &digits) || negative || !Magnitude(digits, &m)) return false;
    if (m > std::numeric_limits<std::uint32_t>::max()) return false;
    *value = static_cast<std::uint32_t>(m);
    return true;
}

bool ParseSignedText(std::string_view text, std::int32_t* value)
{
    bool negative = false;
    std::string_view digits;
    std::uint64_t m = 0;
    if (!Split(text, &negative, &digits) || !Magnitude(digits, &m)) return false;
    constexpr std::uint64_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
    if (m > kMaxPositive + (negative ? 1u : 0u)) return false;
    const std::int64_t signedValue = negative ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
    *value = static_cast<std::int32_t>(signedValue);
    return true;
}

}  // namespace velk
