#include "runtime/cp1251.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zelvo {
namespace {

// Unicode of the codes 0x80..0xFF; the codes below are ASCII.
// 0x98 has no character in the code page and stands for U+0098 so that every
// byte has a UTF-8 form and comes back unchanged.
constexpr std::array<char16_t, 128> kHighHalf = {
    // 0x80
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    // 0x90
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    // 0xA0
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    // 0xB0
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    // 0xC0..0xFF: А..Я, а..я
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

void AppendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    // Every character of the code page lies in the Basic Multilingual Plane.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes one UTF-8 character at `pos`; returns its length, or 0 when the
// bytes there are not well-formed UTF-8 (overlong forms, surrogates, values
// above U+10FFFF, stray or missing continuation bytes).
std::size_t DecodeUtf8(std::string_view s, std::size_t pos, char32_t& out) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(pos);
  std::size_t length;
  char32_t minimum;
  if (lead < 0x80) {
    out = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, minimum = 0x80, out = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, minimum = 0x800, out = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, minimum = 0x10000, out = lead & 0x07;
  } else {
    return 0;  // a continuation byte, C0/C1 (always overlong) or F5..FF
  }
  if (s.size() - pos < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char b = byte(pos + i);
    if ((b & 0xC0) != 0x80) return 0;
    out = (out << 6) | (b & 0x3F);
  }
  if (out < minimum || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

std::string Utf8Error::Message() const {
  char text[96];
  if (codePoint == 0) {
    std::snprintf(text, sizeof text, "Malformed UTF-8 at byte %zu", offset);
  } else {
    std::snprintf(text, sizeof text, "Character U+%04X at byte %zu has no Cyrillic (1251) code",
                  static_cast<unsigned>(codePoint), offset);
  }
  return text;
}

char32_t Cp1251ToUnicode(std::uint8_t code) {
  return code < 0x80 ? char32_t{code} : char32_t{kHighHalf[code - 0x80u]};
}

std::optional<std::uint8_t> UnicodeToCp1251(char32_t codePoint) {
  if (codePoint < 0x80) return static_cast<std::uint8_t>(codePoint);
  // Cyrillic А..я is the common case and sits in one run.
  if (codePoint >= 0x0410 && codePoint <= 0x044F) {
    return static_cast<std::uint8_t>(codePoint - 0x0410 + 0xC0);
  }
  for (std::size_t i = 0; i < 0x40; ++i) {
    if (kHighHalf[i] == codePoint) return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
  std::string out;
  out.reserve(cp1251.size() * 2);
  for (char c : cp1251) AppendUtf8(Cp1251ToUnicode(static_cast<std::uint8_t>(c)), out);
  return out;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(text, pos, c);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8, Utf8Error* error) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t c = 0;
    const std::size_t length = DecodeUtf8(utf8, pos, c);
    const auto code = length ? UnicodeToCp1251(c) : std::nullopt;
    if (!code) {
      if (error) *error = Utf8Error{pos, length ? c : 0};
      return std::nullopt;
    }
    out += static_cast<char>(*code);
    pos += length;
  }
  return out;
}

std::string Cp1251Literal(std::string_view utf8) {
  Utf8Error error;
  auto text = Utf8ToCp1251(utf8, &error);
  if (!text) {
    std::fprintf(stderr, "program text \"%.*s\": %s\n", static_cast<int>(utf8.size()), utf8.data(),
                 error.Message().c_str());
    std::abort();
  }
  return *std::move(text);
}

}  // namespace zelvo
