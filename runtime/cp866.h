// CP866, the OEM (DOS) Cyrillic code page, as far as the program needs it:
// the Unicode character of each code and the conversion of OEM text to the
// program's CP1251. An environment file marked QORCHARSET=OEM is written in it.
//
// Codes 0..127 are ASCII. The pseudo-graphics (0xB0..0xDF) and a few signs
// (0xF9 ∙, 0xFB √, 0xFE ■) have no CP1251 code: converting a text that holds
// one fails and says where, rather than putting a stand-in character.
// Pure functions; safe from any thread.
//
// Example: OemToWindows("\x8F\xE0\xA8") == "\xCF\xF0\xE8" ("При").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

char32_t Cp866ToUnicode(std::uint8_t code);

// The CP1251 code of an OEM code's character, or nullopt when it has none.
std::optional<std::uint8_t> OemCodeToWindows(std::uint8_t code);

// The OEM code of a CP1251 code's character, or nullopt when it has none
// (most of the signs 0x80..0xBF other than Ё, ё and the like).
std::optional<std::uint8_t> WindowsCodeToOem(std::uint8_t code);

// Converts OEM text to CP1251; on failure returns nullopt and, when given,
// sets `badOffset` to the offset of the first code with no CP1251 character.
std::optional<std::string> OemToWindows(std::string_view oem, std::size_t* badOffset = nullptr);

}  // namespace zelvo
