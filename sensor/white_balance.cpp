// White balance from the reading on screen.
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "sensor/white_balance_math.h"
#include "ui/sensor_dlg.h"

namespace velk {

namespace {

constexpr int kTextBufferSize = 256;

// atoi's reading of a level text (leading white space, an optional sign, then
// digits; no digits gives 0), but a number beyond the 32-bit range saturates
// instead of being undefined.
std::int32_t LevelFromText(const char* text)
{
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace

void CSensorDlg::OnWhiteBalance()
{
    // The level texts are the only record of the last reading (blue after its gain).
    constexpr int kLevelIds[4] = {IDC_LEVEL_RED, IDC_LEVEL_GREEN, IDC_LEVEL_BLUE, IDC_LEVEL_CLEAR};
    std::int32_t level[4];
    for (int i = 0; i < 4; ++i) {
        char text[kTextBufferSize];
        GetDlgItemText(kLevelIds[i], text, sizeof text);
        level[i] = LevelFromText(text);
    }

    // Computed from the members, not the INT boxes: text typed since the last
    // exchange is replaced below.
    const IntValues balanced =
        BalanceWhite({level[0], level[1], level[2], level[3]}, {m_intRed, m_intGreen, m_intBlue, m_intClear});
    m_intRed = balanced.red;
    m_intGreen = balanced.green;
    m_intBlue = balanced.blue;
    m_intClear = balanced.clear;

    UpdateData(FALSE);
    WriteParameters();
}

}  // namespace velk
