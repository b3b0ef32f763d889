// Mnemonics: a control's text marks its mnemonic letter with "&" ("&Добавить":
// Alt+Д presses it); "&&" is a plain "&". Works on CP1251 and on UTF-8 texts
// alike, since "&" is the same byte in both.
#pragma once

#include <string>
#include <string_view>

namespace zelvo {

// The text as shown: "&Добавить" -> "Добавить", "A && B" -> "A & B".
std::string WithoutMnemonics(std::string_view text);
// The byte after the first single "&" of a CP1251 text, upper-cased by the
// locale's case table; 0 when the text has no mnemonic.
unsigned char MnemonicLetter(std::string_view cp1251);

}  // namespace zelvo
