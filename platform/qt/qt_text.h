// The boundary between the program's CP1251 texts and Qt's strings. Texts
// cross it here and nowhere else in the back end: what the model hands over
// is shown through ToQString, what the user types goes back through
// ToCp1251. Both keep "&" as Qt and the program both read it: the mnemonic
// mark, "&&" a plain "&".
#pragma once

#include <string>
#include <string_view>

#include <QString>
#include <QValidator>

namespace zelvo {

QString ToQString(std::string_view cp1251);
// A character with no CP1251 code becomes "?"; Cp1251Validator keeps such
// characters out of the entries, so only pasted oddities can meet this.
std::string ToCp1251(const QString& text);
std::string ToUtf8(const QString& text);

// The text without its mnemonic marks: "&Добавить" -> "Добавить", "A&&B" -> "A&B".
QString WithoutMnemonic(const QString& text);
// The mnemonic letter in upper case ("&Добавить" -> 'Д'), or a null QChar.
QChar MnemonicOf(const QString& text);

// Refuses typing and pasting that holds a character the program's code page
// cannot store, so an entry never takes in a text that would change on its
// way into a record.
class Cp1251Validator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& position) const override;
};

}  // namespace zelvo
