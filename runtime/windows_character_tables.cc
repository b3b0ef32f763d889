#include "runtime/windows_character_tables.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/cp1251.h"

namespace zelvo {
namespace {

constexpr CasePair kCasePairs[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
    {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
    {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
    {0xC0, 0xE0}, {0xC1, 0xE1}, {0xC2, 0xE2}, {0xC3, 0xE3}, {0xC4, 0xE4}, {0xC5, 0xE5},
    {0xC6, 0xE6}, {0xC7, 0xE7}, {0xC8, 0xE8}, {0xC9, 0xE9}, {0xCA, 0xEA}, {0xCB, 0xEB},
    {0xCC, 0xEC}, {0xCD, 0xED}, {0xCE, 0xEE}, {0xCF, 0xEF}, {0xD0, 0xF0}, {0xD1, 0xF1},
    {0xD2, 0xF2}, {0xD3, 0xF3}, {0xD4, 0xF4}, {0xD5, 0xF5}, {0xD6, 0xF6}, {0xD7, 0xF7},
    {0xD8, 0xF8}, {0xD9, 0xF9}, {0xDA, 0xFA}, {0xDB, 0xFB}, {0xDC, 0xFC}, {0xDD, 0xFD},
    {0xDE, 0xFE}, {0xDF, 0xFF},
};

// Groups 2, 5 and 6 of the order; the letters are written small first, each
// followed by its capital.
constexpr std::string_view kSymbols =
    " \u00A0_-–—,;:!?.…'‘’‚\"“”„«»‹›()[]{}§¶@*/\\&#%‰†‡•·`^¦|~¤$€+±<=>¬°©®™№";
constexpr std::string_view kGreek = "µ";
constexpr std::string_view kCyrillic =
    "аАбБвВгГґҐѓЃдДђЂеЕёЁєЄжЖзЗѕЅиИіІїЇйЙјЈкКќЌлЛљЉмМнНњЊоОпПрРсСтТћЋуУўЎфФхХцЦчЧџЏшШщЩъЪыЫьЬэЭюЮяЯ";

std::array<std::uint8_t, 256> BuildCollationWeights() {
  std::string order;
  for (int c = 0; c < 256; ++c) {
    if (c < 0x20 || c == 0x7F || c == 0x98) order += static_cast<char>(c);
  }
  order += '\xAD';  // soft hyphen
  order += Cp1251Literal(kSymbols);
  for (char c = '0'; c <= '9'; ++c) order += c;
  for (char c = 'a'; c <= 'z'; ++c) {
    order += c;
    order += static_cast<char>(c - 'a' + 'A');
  }
  order += Cp1251Literal(kGreek);
  order += Cp1251Literal(kCyrillic);

  std::array<std::uint8_t, 256> weights{};
  std::array<bool, 256> placed{};
  for (std::size_t rank = 0; rank < order.size(); ++rank) {
    const auto code = static_cast<std::uint8_t>(order[rank]);
    if (rank > 255 || placed[code]) {
      std::fprintf(stderr, "collation order: code %u repeated\n", unsigned{code});
      std::abort();
    }
    placed[code] = true;
    weights[code] = static_cast<std::uint8_t>(rank);
  }
  if (order.size() != 256) {
    std::fprintf(stderr, "collation order covers %zu of 256 codes\n", order.size());
    std::abort();
  }
  return weights;
}

}  // namespace

std::span<const CasePair> WindowsCasePairs() { return kCasePairs; }

const std::array<std::uint8_t, 256>& WindowsCollationWeights() {
  static const std::array<std::uint8_t, 256> weights = BuildCollationWeights();
  return weights;
}

}  // namespace zelvo
