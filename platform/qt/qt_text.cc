#include "platform/qt/qt_text.h"

#include "runtime/cp1251.h"

namespace zelvo {

QString ToQString(std::string_view cp1251) {
  const std::string utf8 = Cp1251ToUtf8(cp1251);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1251(const QString& text) {
  std::string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const char32_t c : text.toUcs4()) {
    const std::optional<std::uint8_t> code = UnicodeToCp1251(c);
    out.push_back(static_cast<char>(code ? *code : '?'));
  }
  return out;
}

std::string ToUtf8(const QString& text) { return text.toStdString(); }

QString WithoutMnemonic(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    // "&x" shows x, "&&" shows "&", a lone "&" at the end shows nothing.
    if (text[i] == u'&') ++i;
    if (i < text.size()) out += text[i];
  }
  return out;
}

QChar MnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] != u'&') return text[i + 1].toUpper();
    ++i;
  }
  return {};
}

QValidator::State Cp1251Validator::validate(QString& input, int&) const {
  for (const char32_t c : input.toUcs4())
    if (!UnicodeToCp1251(c)) return Invalid;
  return Acceptable;
}

}  // namespace zelvo
