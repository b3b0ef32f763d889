// AmountInWords: an amount of money in Russian words, as the bank payment
// order prints it beside the figures: the whole roubles in words with the
// word "рубль" in the form the number takes, then the kopecks as two digits.
//
//     AmountInWords(Decimal::Parse("1234.56"))
//         == "одна тысяча двести тридцать четыре рубля 56 коп."
//     AmountInWords(Decimal::Parse("21000"))  == "двадцать одна тысяча рублей 00 коп."
//     AmountInWords(Decimal::Parse("0.05"))   == "ноль рублей 05 коп."
//
// Thousands are feminine ("одна тысяча", "две тысячи"), roubles masculine
// ("один рубль", "два рубля"); the word after a number ending in 11..19 is
// always the plural of many ("одиннадцать рублей"). Kopecks are the first two
// places, truncated (the amount is stored with two). A negative amount is
// spelled as its size after "минус". The text is CP1251, at most 100
// characters, the width of the order's amount field (amounts up to 999 999
// 999 999.99 are spelled, larger ones in figures; the order's own field holds
// below 100 000).
#pragma once

#include <string>

#include "runtime/decimal.h"

namespace zelvo {

std::string AmountInWords(const Decimal& amount);

}  // namespace zelvo
