#include "storage/filter/internal/filter_lexer.h"

#include <charconv>
#include <cstdlib>
#include <string>

#include "runtime/locale.h"

namespace zelvo {
namespace {

using Kind = FilterToken::Kind;

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlnum(unsigned char c) { return IsDigit(c) || IsFilterLetter(c); }

int DigitValue(unsigned char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

FilterToken ErrorAt(std::size_t offset, std::string_view problem) {
  FilterToken t;
  t.kind = Kind::Error;
  t.offset = t.end = offset;
  t.problem = problem;
  return t;
}

}  // namespace

bool IsFilterLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || Locale().IsAlpha(c);
}

FilterToken FilterLexer::At(std::size_t offset) const {
  while (offset < text_.size() && (text_[offset] == ' ' || text_[offset] == '\t')) ++offset;
  FilterToken t;
  t.offset = t.end = offset;
  if (offset >= text_.size()) return t;
  const auto c = static_cast<unsigned char>(text_[offset]);
  if (IsFilterLetter(c) || c == '_' || c == '?') {
    std::size_t end = offset + 1;
    while (end < text_.size()) {
      const auto d = static_cast<unsigned char>(text_[end]);
      if (!(IsAlnum(d) || d == '_' || d == ':')) break;
      ++end;
    }
    if (end < text_.size() && (text_[end] == '#' || text_[end] == '$' || text_[end] == '"')) ++end;
    t.kind = Kind::Name;
    t.end = end;
    t.text = text_.substr(offset, end - offset);
    return t;
  }
  if (IsDigit(c) || (c == '.' && offset + 1 < text_.size() &&
                     IsDigit(static_cast<unsigned char>(text_[offset + 1]))))
    return Number(offset);
  if (c == '\'') return Quoted(offset);
  if (c == '@') return PictureToken(offset);
  static constexpr std::string_view kSymbols = "+-*/%^&=<>~()[],:";
  if (kSymbols.find(static_cast<char>(c)) == std::string_view::npos)
    return ErrorAt(offset, "a character that no expression holds");
  t.kind = Kind::Symbol;
  t.end = offset + 1;
  t.text = text_.substr(offset, 1);
  return t;
}

FilterToken FilterLexer::Number(std::size_t start) const {
  // The run of letters and digits decides a based integer: "0FFh", "17o", "101b".
  std::size_t wordEnd = start;
  while (wordEnd < text_.size() && IsAlnum(static_cast<unsigned char>(text_[wordEnd]))) ++wordEnd;
  const std::string_view word = text_.substr(start, wordEnd - start);
  FilterToken t;
  t.offset = start;
  if (word.size() >= 2 && IsDigit(static_cast<unsigned char>(word[0]))) {
    const char suffix = static_cast<char>(word.back() | 0x20);
    const std::string_view digits = word.substr(0, word.size() - 1);
    int base = 0;
    if (suffix == 'h') {
      base = 16;
    } else if (suffix == 'o' || suffix == 'b') {
      bool allDigits = true;
      for (char d : digits) allDigits = allDigits && IsDigit(static_cast<unsigned char>(d));
      if (allDigits) base = suffix == 'o' ? 8 : 2;
    }
    if (base != 0) {
      bool hexDigits = true;
      for (char d : digits) hexDigits = hexDigits && DigitValue(static_cast<unsigned char>(d)) < 16;
      if (base != 16 || hexDigits) {
        double value = 0;
        for (char d : digits) {
          const int v = DigitValue(static_cast<unsigned char>(d));
          if (v >= base) return ErrorAt(start, "a digit the number's base does not have");
          value = value * base + v;
        }
        t.end = wordEnd;
        if (value <= 4294967295.0) {
          t.kind = Kind::Integer;
          t.integer = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
        } else {
          t.kind = Kind::Real;
          t.real = value;
        }
        return t;
      }
    }
  }
  std::size_t end = start;
  bool isReal = false;
  while (end < text_.size() && IsDigit(static_cast<unsigned char>(text_[end]))) ++end;
  if (end < text_.size() && text_[end] == '.') {
    isReal = true;
    ++end;
    while (end < text_.size() && IsDigit(static_cast<unsigned char>(text_[end]))) ++end;
  }
  if (end < text_.size() && (text_[end] == 'e' || text_[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text_.size() && (text_[exponent] == '+' || text_[exponent] == '-')) ++exponent;
    if (exponent >= text_.size() || !IsDigit(static_cast<unsigned char>(text_[exponent])))
      return ErrorAt(start, "an exponent without digits");
    while (exponent < text_.size() && IsDigit(static_cast<unsigned char>(text_[exponent]))) ++exponent;
    isReal = true;
    end = exponent;
  }
  const std::string spelled(text_.substr(start, end - start));
  const double value = std::strtod(spelled.c_str(), nullptr);
  t.end = end;
  if (!isReal && value <= 2147483647.0) {
    t.kind = Kind::Integer;
    t.integer = static_cast<std::int32_t>(value);
  } else {
    t.kind = Kind::Real;
    t.real = value;
  }
  return t;
}

FilterToken FilterLexer::Quoted(std::size_t start) const {
  FilterToken t;
  t.kind = Kind::String;
  t.offset = start;
  for (std::size_t i = start + 1; i < text_.size(); ++i) {
    if (text_[i] != '\'') {
      t.string.push_back(text_[i]);
      continue;
    }
    if (i + 1 < text_.size() && text_[i + 1] == '\'') {
      t.string.push_back('\'');
      ++i;
      continue;
    }
    t.end = i + 1;
    return t;
  }
  return ErrorAt(start, "a text without its closing quote");
}

FilterToken FilterLexer::PictureToken(std::size_t start) const {
  std::size_t end = start + 1;
  const char kind = end < text_.size() ? static_cast<char>(text_[end] | 0x20) : '\0';
  if (kind == 'p' || kind == 'k') {
    const std::size_t close = [&] {
      for (std::size_t i = end + 1; i < text_.size(); ++i)
        if ((text_[i] | 0x20) == kind) return i;
      return std::string_view::npos;
    }();
    if (close == std::string_view::npos) return ErrorAt(start, "a picture without its closing letter");
    end = close + 1;
    // A blank-when-zero mark may follow the closing letter.
    if (end < text_.size() && (text_[end] | 0x20) == 'b') ++end;
  } else {
    int depth = 0;
    while (end < text_.size()) {
      const char c = text_[end];
      if (kind == 'n' && c == '~') {
        const std::size_t close = text_.find('~', end + 1);
        if (close == std::string_view::npos) return ErrorAt(start, "a picture text without its closing ~");
        end = close + 1;
        continue;
      }
      if (kind == 'n' && c == '(') ++depth;
      else if (c == ')' && depth > 0) --depth;
      else if (c == ' ' || c == '\t' || c == ',' || c == ')') break;
      ++end;
    }
  }
  FilterToken t;
  t.kind = Kind::Picture;
  t.offset = start;
  t.end = end;
  t.text = text_.substr(start, end - start);
  return t;
}

}  // namespace zelvo
