// FilterLexer: splits a filter expression's text into tokens, one at a time.
//
// Blanks and tabs between tokens are skipped. Tokens:
//     name     a letter, '_' or '?', then letters, digits, '_' and ':' ("NBA:data"),
//              optionally ended by '#', '$' or '"'
//     number   digits with an optional fraction and exponent (".5", "1.5e-3");
//              an integer ended by H, O or B (any case) is hexadecimal, octal
//              or binary ("0FFh" 255, "17o" 15, "101b" 5). An integer that does not
//              fit in 32 bits (decimal: signed; the other bases: unsigned, the
//              bits then read as a signed number), or any number with a
//              fraction or exponent, is real
//     string   in single quotes, '' standing for one quote: 'It''s' is It's
//     picture  '@' and the picture: to a blank, ',' or ')'; @P.../@K... to the
//              next P/K of the same letter; @N... may hold balanced parentheses
//              and ~quoted~ parts
//     symbol   + - * / % ^ & = < > ~ ( ) [ ] , :
// Any other character, an unterminated string or picture, or a number with a
// bad digit ("19o", "102b", "1e") is an error token at its offset.
//
// The lexer reads the text it was given and never past it; the text must
// outlive the tokens (they are views of it, strings excepted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zelvo {

struct FilterToken {
  enum class Kind : std::uint8_t { End, Name, Integer, Real, String, Picture, Symbol, Error };
  Kind kind = Kind::End;
  std::size_t offset = 0;     // where the token starts
  std::size_t end = 0;        // just past it
  std::string_view text;      // the token as written (Name, Picture, Symbol)
  std::int32_t integer = 0;   // Integer
  double real = 0.0;          // Real
  std::string string;         // String: the text, quotes undone
  std::string_view problem;   // Error: what is wrong

  bool Is(char symbol) const { return kind == Kind::Symbol && text.size() == 1 && text[0] == symbol; }
};

class FilterLexer {
 public:
  explicit FilterLexer(std::string_view text) : text_(text) {}

  // The token at `offset` (blanks before it skipped).
  FilterToken At(std::size_t offset) const;
  std::string_view Text() const { return text_; }

 private:
  FilterToken Number(std::size_t start) const;
  FilterToken Quoted(std::size_t start) const;
  FilterToken PictureToken(std::size_t start) const;

  std::string_view text_;
};

bool IsFilterLetter(unsigned char c);

}  // namespace zelvo
