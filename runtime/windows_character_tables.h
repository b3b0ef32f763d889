// The character tables an environment file asks for with the value "WINDOWS":
// the letter case pairs of the Cyrillic code page (QORCASE) and the order in
// which a linguistic string comparison sorts single characters (QORCOLSEQ).
// Both are built into the program as data; they describe CP1251.
//
// Case pairs: every code from 128 up whose character is a capital letter,
// with the code of its small letter: А..Я/а..я (0xC0..0xDF/0xE0..0xFF),
// Ё/ё (0xA8/0xB8) and the other Cyrillic letters of the code page (Ђ/ђ, Ѓ/ѓ,
// Є/є, Ѕ/ѕ, І/і, Ї/ї, Ј/ј, Љ/љ, Њ/њ, Ћ/ћ, Ќ/ќ, Ў/ў, Џ/џ, Ґ/ґ). Letters whose
// other case has no code here (µ) have no pair.
//
// Collation: weights 0..255, a permutation of the codes (no two codes weigh
// the same, so a sort is total). The order, lowest first:
//   1. codes 0 and 1, then the other control codes and the unassigned 0x98,
//      in code order; the soft hyphen
//   2. blank, no-break space, then punctuation and symbols in a fixed order:
//      _ - – — , ; : ! ? . … ' ‘ ’ ‚ " “ ” „ « » ‹ › ( ) [ ] { } § ¶ @ * /
//      \ & # % ‰ † ‡ • · ` ^ ¦ | ~ ¤ $ € + ± < = > ¬ ° © ® ™ №
//   3. the digits 0..9
//   4. the Latin letters alphabetically, small before capital: a A b B .. z Z
//   5. µ (a Greek letter: after Latin, before Cyrillic)
//   6. the Cyrillic letters alphabetically, small before capital, ё after е,
//      each letter of the other Slavic alphabets right after its nearest
//      Russian letter: а б в г ґ ѓ д ђ е ё є ж з ѕ и і ї й ј к ќ л љ м н њ
//      о п р с т ћ у ў ф х ц ч џ ш щ ъ ы ь э ю я
// Code 255 (я) takes part like every other code, so that я/Я keep the rule of
// the rest of the alphabet.
//
// The data are immutable; safe from any thread.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zelvo {

struct CasePair {
  std::uint8_t upper;
  std::uint8_t lower;
};

std::span<const CasePair> WindowsCasePairs();

// weights[code] is the code's place in the order above.
const std::array<std::uint8_t, 256>& WindowsCollationWeights();

}  // namespace zelvo
