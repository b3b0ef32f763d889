#include "runtime/cp1251.h"

#include <gtest/gtest.h>

#include <set>

#include "runtime/cp866.h"

namespace zelvo {
namespace {

std::string AllCodes() {
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  return all;
}

TEST(Cp1251Test, EveryCodeRoundTripsThroughUtf8) {
  const std::string all = AllCodes();
  const std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  Utf8Error error;
  const auto back = Utf8ToCp1251(utf8, &error);
  ASSERT_TRUE(back) << error.Message();
  EXPECT_EQ(*back, all);

  std::set<char32_t> seen;
  for (int c = 0; c < 256; ++c) {
    const char32_t u = Cp1251ToUnicode(static_cast<std::uint8_t>(c));
    EXPECT_TRUE(seen.insert(u).second) << "code " << c << " shares its character";
    EXPECT_EQ(UnicodeToCp1251(u), static_cast<std::uint8_t>(c)) << "code " << c;
  }
}

TEST(Cp1251Test, KnownCharacters) {
  struct Case {
    std::uint8_t code;
    char32_t unicode;
    const char* utf8;
  } cases[] = {
      {0x41, U'A', "A"},       {0xC0, U'А', "А"},      {0xDF, U'Я', "Я"},
      {0xE0, U'а', "а"},       {0xFF, U'я', "я"},      {0xA8, U'Ё', "Ё"},
      {0xB8, U'ё', "ё"},       {0x88, U'€', "€"},      {0xB9, U'№', "№"},
      {0x98, 0x98, "\xC2\x98"}, {0xA0, 0xA0, "\xC2\xA0"}, {0x96, U'–', "–"},
      {0xA5, U'Ґ', "Ґ"},       {0xB3, U'і', "і"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1251ToUnicode(c.code), c.unicode) << int{c.code};
    EXPECT_EQ(Cp1251ToUtf8(std::string(1, static_cast<char>(c.code))), c.utf8) << int{c.code};
  }
  EXPECT_EQ(Cp1251Literal("Иванов Ё"), "\xC8\xE2\xE0\xED\xEE\xE2 \xA8");
}

TEST(Cp1251Test, ReportsCharacterWithoutCodeAtItsOffset) {
  struct Case {
    const char* utf8;
    std::size_t offset;
    char32_t codePoint;
  } cases[] = {
      {"Иван 中", 9, U'中'},
      {"\xF0\x9F\x98\x80", 0, 0x1F600},
      {"ab\xC3\xA9", 2, U'é'},
  };
  for (const Case& c : cases) {
    Utf8Error error;
    EXPECT_FALSE(Utf8ToCp1251(c.utf8, &error)) << c.utf8;
    EXPECT_EQ(error.offset, c.offset) << c.utf8;
    EXPECT_EQ(error.codePoint, c.codePoint) << c.utf8;
    EXPECT_TRUE(IsValidUtf8(c.utf8)) << c.utf8;
    EXPECT_NE(error.Message().find(std::to_string(c.offset)), std::string::npos) << error.Message();
  }
}

TEST(Cp1251Test, RejectsMalformedUtf8WithOffset) {
  struct Case {
    std::string_view utf8;
    std::size_t offset;
  } cases[] = {
      {"\x80", 0},                    // stray continuation byte
      {"ab\xC0\x80", 2},              // overlong NUL
      {"a\xC1\xBF", 1},               // overlong two-byte
      {"\xE0\x80\xAF", 0},            // overlong three-byte
      {"\xF0\x80\x80\x80", 0},        // overlong four-byte
      {"x\xED\xA0\x80", 1},           // surrogate
      {"\xF4\x90\x80\x80", 0},        // above U+10FFFF
      {"\xF5\x80\x80\x80", 0},        // lead byte out of range
      {"abc\xD0", 3},                 // truncated at the end
      {"\xE2\x82 ", 0},               // truncated in the middle
      {"\xD0\x90\xD0", 2},            // truncated after a good character
      {std::string_view("\xD0\x90\0\xFF", 4), 3},
  };
  for (const Case& c : cases) {
    Utf8Error error;
    EXPECT_FALSE(Utf8ToCp1251(c.utf8, &error)) << c.offset;
    EXPECT_FALSE(IsValidUtf8(c.utf8)) << c.offset;
    EXPECT_EQ(error.offset, c.offset);
    EXPECT_EQ(error.codePoint, 0u);
  }
}

TEST(Cp1251Test, EmptyAndAsciiPassUnchanged) {
  EXPECT_EQ(Utf8ToCp1251(""), "");
  EXPECT_EQ(Utf8ToCp1251(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251DeathTest, LiteralWithoutCodeAborts) {
  EXPECT_DEATH((void)Cp1251Literal("Ошибка 中"), "U\\+4E2D");
}

TEST(Cp866Test, OemLettersBecomeWindowsLetters) {
  // Every OEM Cyrillic letter lands on the CP1251 code of the same character.
  for (int c = 0; c < 256; ++c) {
    const auto code = static_cast<std::uint8_t>(c);
    const auto windows = OemCodeToWindows(code);
    const char32_t u = Cp866ToUnicode(code);
    if (windows) {
      EXPECT_EQ(Cp1251ToUnicode(*windows), u) << c;
    } else {
      EXPECT_TRUE((c >= 0xB0 && c <= 0xDF) || c == 0xF9 || c == 0xFB || c == 0xFE) << c;
    }
  }
  EXPECT_EQ(OemToWindows("\x8F\xE0\xA8\xA2\xA5\xE2 \xF0\xF1"), Cp1251Literal("Привет Ёё"));
  std::size_t bad = 99;
  EXPECT_FALSE(OemToWindows("ab\xC4", &bad));
  EXPECT_EQ(bad, 2u);
}

TEST(Cp866Test, WindowsCodesGoBackToTheirOemCodes) {
  for (int c = 0; c < 256; ++c) {
    const auto oem = WindowsCodeToOem(static_cast<std::uint8_t>(c));
    if (oem) {
      EXPECT_EQ(OemCodeToWindows(*oem), c) << c;
    } else {
      EXPECT_GE(c, 0x80) << "every ASCII code is the same in OEM";
    }
  }
  EXPECT_EQ(WindowsCodeToOem(0xC0), 0x80);  // А
  EXPECT_EQ(WindowsCodeToOem(0xB8), 0xF1);  // ё
  EXPECT_EQ(WindowsCodeToOem('A'), 'A');
}

}  // namespace
}  // namespace zelvo
