// CP1251, the program's single-byte text encoding, and its conversion to and
// from UTF-8 at the program's boundaries (widgets, PDF, the tools' JSON/CSV).
//
// Inside the program every text is CP1251. Each of the 256 codes has a
// defined UTF-8 form (0x98, unassigned in the code page, maps to U+0098 so
// that a round trip never loses a byte). A UTF-8 character with no CP1251 code,
// or malformed UTF-8, is reported with its byte offset, never dropped.
//
// Source files are UTF-8: a system text in quotes is written as UTF-8 and
// converted once, with Cp1251Literal("Ошибка").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvo {

struct Utf8Error {
  std::size_t offset = 0;  // byte offset in the UTF-8 input
  char32_t codePoint = 0;  // the character with no CP1251 code; 0 for malformed UTF-8
  std::string Message() const;  // UTF-8 text for the user
};

std::string Cp1251ToUtf8(std::string_view cp1251);
char32_t Cp1251ToUnicode(std::uint8_t code);
// The CP1251 code of a Unicode character, or nullopt when it has none.
std::optional<std::uint8_t> UnicodeToCp1251(char32_t codePoint);

// True when `text` is well-formed UTF-8 (whether or not every character has a
// CP1251 code).
bool IsValidUtf8(std::string_view text);

// Converts UTF-8 to CP1251. On failure returns nullopt and fills `error`.
std::optional<std::string> Utf8ToCp1251(std::string_view utf8, Utf8Error* error = nullptr);

// A UTF-8 text known at compile time to have CP1251 codes (the program's own
// texts); aborts with a message naming the text if it does not, since that
// is a programming error caught by the first test that touches it.
std::string Cp1251Literal(std::string_view utf8);

}  // namespace zelvo
