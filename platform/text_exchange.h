// How the data exchange reads a number from an edit box. Blanks (spaces, tabs)
// may stand before and after the number; the rest must be one decimal number
// with an optional sign ("-" only for the signed kind) that fits the member's
// 32 bits. A number out of range fails like any other malformed text rather
// than being stored cut or saturated.
#pragma once

#include <cstdint>
#include <string_view>

namespace velk {

inline constexpr const char* kParseUnsignedMessage = "正の整数を入力してください。";
inline constexpr const char* kParseSignedMessage = "整数を入力してください。";

bool ParseUnsignedText(std::string_view text, std::uint32_t* value);
bool ParseSignedText(std::string_view text, std::int32_t* value);

}  // namespace velk
