#include "sensor/white_balance_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

struct Case {
    const char* what;
    velk::WhiteBalanceLevels levels;
    velk::IntValues before;
    velk::IntValues after;
};

const Case kCases[] = {
    {"levels 512, 640, 800, 900 with INT 500", {512, 640, 800, 900}, {500, 500, 500, 500}, {634, 507, 406, 361}},
    {"same levels with INT 1023: red and green capped", {512, 640, 800, 900}, {1023, 1023, 1023, 1023},
     {1023, 1023, 831, 738}},
    {"clear does not raise the average", {300, 450, 600, 1000}, {1023, 1023, 1023, 1023}, {1023, 1023, 767, 460}},
    {"equal levels keep INT, above 1023 capped", {700, 700, 700, 700}, {0, 1, 1023, 5000}, {0, 1, 1023, 1023}},
    {"before the first reading every level is 0", {0, 0, 0, 0}, {500, 1023, 5000, 7}, {500, 1023, 5000, 7}},
    {"a zero level keeps only its own channel", {0, 600, 600, 0}, {800, 900, 300, 5000}, {800, 600, 200, 5000}},
    {"negative levels keep their channels", {-5, 600, 607, -1}, {800, 900, 300, 4}, {800, 600, 197, 4}},
    {"negative average gives 0, not a huge number", {-900, 10, 20, 30}, {800, 900, 300, 4}, {800, 0, 0, 0}},
    // Products that wrap in 32 bits.
    {"INT FFFFFFFF", {1023, 1023, 1023, 1}, {0xFFFFFFFF, 0xFFFFFFFF, 0, 0xFFFFFFFF}, {1023, 1023, 0, 1023}},
    {"product just above 2^32", {65536, 65536, 65536, 65536}, {65537, 65535, 1, 0}, {1023, 1023, 1, 0}},
    {"level sum beyond int range", {kIntMax, kIntMax, kIntMax, 3}, {1023, 1023, 1, 1023}, {1023, 1023, 1, 1023}},
    {"lowest levels", {kIntMin, kIntMin, kIntMin, kIntMin}, {1023, 1, 0, 0xFFFFFFFF}, {1023, 1, 0, 0xFFFFFFFF}},
    {"largest average over the smallest level", {kIntMax, kIntMax, 1, 1}, {0xFFFFFFFF, 1, 0xFFFFFFFF, 1},
     {1023, 0, 1023, 1023}},
};

TEST(WhiteBalanceMath, NewIntValues)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const velk::IntValues got = velk::BalanceWhite(c.levels, c.before);
        EXPECT_EQ(got.red, c.after.red);
        EXPECT_EQ(got.green, c.after.green);
        EXPECT_EQ(got.blue, c.after.blue);
        EXPECT_EQ(got.clear, c.after.clear);
    }
}

}  // namespace
