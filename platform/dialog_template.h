// A window template as constant data: the frame and every control in template
// order, positions in dialog units. One builder (platform/dialog.cpp) turns a
// template into widgets; the tables themselves live in res/.
#pragma once

#include <cstdint>
#include <span>

#include "platform/win_defs.h"

namespace velk {

// The window class of a control; its style bits choose the variant (a button
// class control is a push button, a default button, a check box drawn as a
// button or a group box; a static one is text, an image or an icon).
enum class ControlClass : std::uint8_t { Static, Button, Edit, ComboBox, UpDown, Trackbar, ProgressBar };

inline constexpr int kNoId = -1;  // a control the program never addresses

struct DialogItem {
    int id;
    ControlClass cls;
    const char* text;  // UTF-8; "" when the control has none
    int x, y, cx, cy;  // dialog units
    std::uint32_t style;
};

struct DialogTemplate {
    int id;
    const char* caption;
    int x, y, cx, cy;  // dialog units
    std::uint32_t style;
    std::uint32_t exStyle;
    int pointSize;
    const char* faceName;
    std::span<const DialogItem> items;
};

// Dialog units to pixels at 96 dpi with the base units that the templates
// were laid out for: 4 horizontal units = 7 pixels, 8 vertical units = 12
// pixels. Rounded half away from zero, as MulDiv rounds.
constexpr int MulDiv(int number, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t half = denominator / 2;
    const std::int64_t q = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(q);
}
inline constexpr int kBaseUnitX = 7;  // pixels per 4 horizontal units
inline constexpr int kBaseUnitY = 12;  // pixels per 8 vertical units
constexpr int DluToPixelsX(int x) { return MulDiv(x, kBaseUnitX, 4); }
constexpr int DluToPixelsY(int y) { return MulDiv(y, kBaseUnitY, 8); }

}  // namespace velk
