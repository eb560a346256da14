// How the data exchange reads numbers typed into edit boxes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/text_exchange.h"

namespace velk {
namespace {

struct Case {
    const char* text;
    std::optional<std::uint32_t> asUnsigned;
    std::optional<std::int32_t> asSigned;
};

TEST(TextExchange, ParsesLikeTheFrameworksDecimalExchange)
{
    const Case cases[] = {
        {"15", 15u, 15},
        {"  1023\t", 1023u, 1023},
        {"+7", 7u, 7},
        {"007", 7u, 7},
        {"-128", std::nullopt, -128},
        {"-0", std::nullopt, 0},
        {"", std::nullopt, std::nullopt},
        {"   ", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
        {"1 2", std::nullopt, std::nullopt},
        {"12a", std::nullopt, std::nullopt},
        {"0x10", std::nullopt, std::nullopt},
        {"1.5", std::nullopt, std::nullopt},
        {"１２", std::nullopt, std::nullopt},  // full-width digits
        {"4294967295", 4294967295u, std::nullopt},
        {"4294967296", std::nullopt, std::nullopt},
        {"2147483647", 2147483647u, 2147483647},
        {"-2147483648", std::nullopt, INT32_MIN},
        {"-2147483649", std::nullopt, std::nullopt},
        {"99999999999999999999999", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint32_t u = 1234;
        EXPECT_EQ(ParseUnsignedText(c.text, &u), c.asUnsigned.has_value());
        EXPECT_EQ(u, c.asUnsigned.value_or(1234)) << "a failure leaves the destination alone";
        std::int32_t s = -77;
        EXPECT_EQ(ParseSignedText(c.text, &s), c.asSigned.has_value());
        EXPECT_EQ(s, c.asSigned.value_or(-77));
    }
}

}  // namespace
}  // namespace velk
