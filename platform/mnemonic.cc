#include "platform/mnemonic.h"

#include "runtime/locale.h"

namespace zelvo {

std::string WithoutMnemonics(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;  // the marked letter, or the second "&"
    else if (text[i] == '&') continue;
    shown += text[i];
  }
  return shown;
}

unsigned char MnemonicLetter(std::string_view cp1251) {
  for (std::size_t i = 0; i + 1 < cp1251.size(); ++i) {
    if (cp1251[i] != '&') continue;
    if (cp1251[i + 1] == '&') {
      ++i;
      continue;
    }
    return Locale().Upper(static_cast<unsigned char>(cp1251[i + 1]));
  }
  return 0;
}

}  // namespace zelvo
