#include "reports/amount_in_words.h"

#include <array>
#include <cstdint>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

enum class Gender { Masculine, Feminine };

constexpr std::array<const char*, 20> kUnits{
    "",      "один",      "два",        "три",        "четыре",      "пять",       "шесть",
    "семь",  "восемь",    "девять",     "десять",     "одиннадцать", "двенадцать", "тринадцать",
    "четырнадцать", "пятнадцать", "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать"};
constexpr std::array<const char*, 10> kTens{"",          "",         "двадцать",   "тридцать",    "сорок",
                                            "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят", "девяносто"};
constexpr std::array<const char*, 10> kHundreds{"",        "сто",      "двести",   "триста",    "четыреста",
                                                "пятьсот", "шестьсот", "семьсот", "восемьсот", "девятьсот"};

// The three forms of a counted word: one (1, 21), few (2..4, 22..24), many
// (0, 5..20, 25..30, and every number ending in 11..19).
struct WordForms {
  const char* one;
  const char* few;
  const char* many;
  Gender gender;
};

constexpr WordForms kRoubles{"рубль", "рубля", "рублей", Gender::Masculine};
constexpr std::array<WordForms, 3> kGroups{{
    {"тысяча", "тысячи", "тысяч", Gender::Feminine},
    {"миллион", "миллиона", "миллионов", Gender::Masculine},
    {"миллиард", "миллиарда", "миллиардов", Gender::Masculine},
}};

const char* FormFor(std::int64_t number, const WordForms& forms) {
  const std::int64_t lastTwo = number % 100, last = number % 10;
  if (lastTwo >= 11 && lastTwo <= 19) return forms.many;
  if (last == 1) return forms.one;
  if (last >= 2 && last <= 4) return forms.few;
  return forms.many;
}

void Append(std::string& words, const char* word) {
  if (*word == '\0') return;
  if (!words.empty()) words += ' ';
  words += word;
}

// 1..999 in words.
void AppendTriad(std::string& words, int number, Gender gender) {
  Append(words, kHundreds[static_cast<std::size_t>(number / 100)]);
  const int rest = number % 100;
  if (rest < 20) {
    if (gender == Gender::Feminine && rest == 1) return Append(words, "одна");
    if (gender == Gender::Feminine && rest == 2) return Append(words, "две");
    return Append(words, kUnits[static_cast<std::size_t>(rest)]);
  }
  Append(words, kTens[static_cast<std::size_t>(rest / 10)]);
  const int unit = rest % 10;
  if (gender == Gender::Feminine && unit == 1) return Append(words, "одна");
  if (gender == Gender::Feminine && unit == 2) return Append(words, "две");
  Append(words, kUnits[static_cast<std::size_t>(unit)]);
}

constexpr std::size_t kFieldWidth = 100;

}  // namespace

std::string AmountInWords(const Decimal& amount) {
  const Decimal size = amount.Abs();
  // Beyond the words this spells, the roubles are written in figures.
  if (size.IntegerDigits() > 12) return (amount.Int().ToString() + Cp1251Literal(" руб. ")).substr(0, kFieldWidth);
  const std::int64_t roubles = size.Int().ToInt64();
  const std::int64_t kopecks = ((size - size.Int()) * 100).Int().ToInt64();

  std::string words;
  if (amount.Sign() < 0 && (roubles != 0 || kopecks != 0)) words = "минус";
  if (roubles == 0) Append(words, "ноль");
  // The groups from the largest: billions, millions, thousands, then the units.
  std::int64_t scale = 1'000'000'000;
  for (int group = static_cast<int>(kGroups.size()) - 1; group >= 0; --group, scale /= 1000) {
    const int count = static_cast<int>(roubles / scale % 1000);
    if (count == 0) continue;
    AppendTriad(words, count, kGroups[static_cast<std::size_t>(group)].gender);
    Append(words, FormFor(count, kGroups[static_cast<std::size_t>(group)]));
  }
  const int units = static_cast<int>(roubles % 1000);
  if (units != 0) AppendTriad(words, units, kRoubles.gender);
  Append(words, FormFor(roubles, kRoubles));
  const char kopeckText[3] = {static_cast<char>('0' + kopecks / 10), static_cast<char>('0' + kopecks % 10), 0};
  Append(words, kopeckText);
  Append(words, "коп.");

  std::string text = Cp1251Literal(words);
  if (text.size() > kFieldWidth) text.resize(kFieldWidth);
  return text;
}

}  // namespace zelvo
