// Arbitrary bytes as a picture text and a value: everything up to the first
// newline is the picture, the rest the value. Parsing never crashes; a valid
// picture formats every number, date, time and text into exactly its width;
// reading back what it showed succeeds (unless it showed an overflow or the
// text does not suit a key-in pattern) and shows the same characters again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/date_time.h"
#include "runtime/picture.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

using zelvo::Decimal;
using zelvo::Picture;
using zelvo::PictureKind;

// What the picture shows for a value read back by Deformat.
std::string Reshown(const Picture& picture, const zelvo::PictureValue& value) {
  switch (picture.kind()) {
    case PictureKind::String:
    case PictureKind::KeyIn:
    case PictureKind::Pattern:
      return picture.FormatText(value.text);
    default:
      return picture.Format(value.number);
  }
}

// Whether `shown` is an overflow, which is not read back: "#" in the digit
// positions, or a scientific mantissa rounded up past the largest number.
bool IsOverflow(const Picture& picture, const std::string& shown) {
  switch (picture.kind()) {
    case PictureKind::Numeric:
    case PictureKind::Pattern:
      return shown.find('#') != std::string::npos;
    case PictureKind::Scientific:
      return shown.find('#') != std::string::npos || shown.find("E+32") != std::string::npos;
    default:
      return false;
  }
}

void CheckShown(const Picture& picture, const std::string& shown, bool mustRead) {
  Check(shown.size() == static_cast<std::size_t>(picture.width()));
  zelvo::PictureError error;
  auto back = picture.Deformat(shown, &error);
  if (!back) {
    Check(error.offset <= shown.size() && !error.message.empty());
    Check(!mustRead);
    return;
  }
  Check(Reshown(picture, *back) == shown);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t newline = input.find('\n');
  const std::string_view pictureText = input.substr(0, newline);
  const std::string_view value = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

  zelvo::PictureError error;
  auto parsed = Picture::Parse(pictureText, &error);
  if (!parsed) {
    Check(error.offset <= pictureText.size() && !error.message.empty());
    return 0;
  }
  const Picture& picture = *parsed;
  const PictureKind kind = picture.kind();

  // A number: the value read as one, and day numbers and time values taken
  // from the value's bytes, valid or not.
  std::int32_t word = 0;
  for (std::size_t i = 0; i < value.size() && i < 4; ++i)
    word = static_cast<std::int32_t>(static_cast<std::uint32_t>(word) << 8 | static_cast<std::uint8_t>(value[i]));
  const Decimal numbers[] = {Decimal::Parse(value), word,
                             zelvo::kFirstDay + (word & 0x3FFFFF) % (zelvo::kLastDay - zelvo::kFirstDay + 1),
                             1 + (word & 0x7FFFFFF) % zelvo::kLastTime, 0};
  for (const Decimal& n : numbers) {
    std::string shown = picture.Format(n);
    // An invalid time shows blanks that read back as no time, which shows midnight.
    std::int64_t integer = n.Int().ToInt64();
    bool readable = kind != PictureKind::Time || integer == 0 || (integer >= 1 && integer <= zelvo::kLastTime);
    if (readable) CheckShown(picture, shown, kind != PictureKind::KeyIn && !IsOverflow(picture, shown));
    else Check(shown.size() == static_cast<std::size_t>(picture.width()));
  }
  // A text (the other kinds read a text as a number, checked above).
  if (kind == PictureKind::String || kind == PictureKind::KeyIn || kind == PictureKind::Pattern) {
    std::string shown = picture.FormatText(value);
    CheckShown(picture, shown, kind != PictureKind::KeyIn && !IsOverflow(picture, shown));
  }

  // The value as typed into an entry.
  auto typed = picture.Deformat(value, &error);
  if (!typed) Check(error.offset <= value.size() && !error.message.empty());
  else Check(Reshown(picture, *typed).size() == static_cast<std::size_t>(picture.width()));
  return 0;
}
