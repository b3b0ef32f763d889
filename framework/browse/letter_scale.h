// LetterScale: the thumb scale of a text key. Its characters (SORTCHARS) are
// the codes 1..255 that its controls admit, in the collating order of the
// locale; a text's next four characters, read as a number in base N (N the
// number of SORTCHARS, a character's digit its place among them), put it on
// a line between the first and the last value of the data, cut in 100 steps.
//
//     controls  1 letters, upper case (with 8 lower case too)   2 the 31 symbols
//               ` ! " Ј $ % ^ & * ( ) ' - = _ + ] [ # ; ~ @ : / . , ? \ | and blank
//               4 digits   8 lower-case letters   16 the key runs descending
//
//     limits "ADAMS" and "ZIMMER": ROOT "" (the common beginning), low "ADAM",
//     high "ZIMM"; ScaleValue(50) is the text half-way, "M..." (4 characters);
//     ScalePercentile("BROWN") is the last step not above it.
//
// A character that is not among SORTCHARS counts as the first of them that
// collates at or after it. Cyrillic letters are letters whatever the locale's
// case tables say (the program's names are Russian); their case is that of
// the code page.
#pragma once

#include <cstdint>
#include <string>

#include "framework/browse/thumb_scale.h"

namespace zelvo {

class LetterScale final : public ThumbScale {
 public:
  static constexpr std::size_t kRootLength = 40;
  static constexpr std::size_t kDigits = 4;

  explicit LetterScale(std::uint8_t scaleControls);

  int ScalePercentile(std::string_view value) const override;
  std::optional<std::string> ScaleValue(int percent) const override;
  void SetScaleLimits(std::string_view low, std::string_view high) override;
  bool ScaleNeedsLimits() const override { return true; }

  const std::string& SortChars() const { return sortChars_; }
  const std::string& Root() const { return root_; }

 private:
  bool Descending() const { return (controls & 16) != 0; }
  // The four characters after the root as a number in base N.
  std::int64_t ValueOf(std::string_view text, char pad) const;
  std::string TextOf(std::int64_t value) const;

  // The text of step i: ROOT and the four characters of low + i x step.
  std::string StepText(int i) const;

  std::string sortChars_;
  std::string root_;
  std::int64_t low_ = 0, high_ = 0;  // the limits' four characters as numbers
};

}  // namespace zelvo
