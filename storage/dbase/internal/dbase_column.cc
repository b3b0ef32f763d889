#include "storage/dbase/internal/dbase_column.h"

#include <algorithm>
#include <cstdio>

namespace zelvo {
namespace {

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

bool IsBlank(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

std::string_view TextOf(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void Fill(std::span<std::uint8_t> bytes, std::string_view rightJustified) {
  std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
  std::copy(rightJustified.begin(), rightJustified.end(),
            bytes.end() - static_cast<std::ptrdiff_t>(rightJustified.size()));
}

// The eight digits of YYYYMMDD or DD.MM.YYYY text.
std::optional<DbaseDate> ParseDateText(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  auto number = [&](std::size_t at, std::size_t digits) -> std::optional<int> {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) {
      if (!IsDigit(static_cast<std::uint8_t>(text[i]))) return std::nullopt;
      value = value * 10 + (text[i] - '0');
    }
    return value;
  };
  std::optional<int> year, month, day;
  if (text.size() == 8) {
    year = number(0, 4), month = number(4, 2), day = number(6, 2);
  } else if (text.size() == 10 && text[2] == '.' && text[5] == '.') {
    day = number(0, 2), month = number(3, 2), year = number(6, 4);
  }
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
  return DbaseDate{*year, *month, *day};
}

}  // namespace

std::string DbaseLargestValue(const DbaseColumn& column) {
  std::string nines(column.length, '9');
  if (column.decimals != 0 && column.decimals < column.length)
    nines[column.length - column.decimals - 1] = '.';
  return nines;
}

int WriteDbaseNumber(const DbaseColumn& column, const Decimal& value, std::span<std::uint8_t> bytes) {
  std::string text = value.ToString(column.decimals);
  // A negative fraction in a narrow column goes without its units zero: "-.50".
  if (text.size() > bytes.size() && text.starts_with("-0.")) text.erase(1, 1);
  if (text.size() > bytes.size()) return kDbaseBadData;
  if (Decimal::Parse(text) > Decimal::Parse(DbaseLargestValue(column))) return kDbaseBadData;
  Fill(bytes, text);
  return 0;
}

Decimal ReadDbaseNumber(std::span<const std::uint8_t> bytes) { return Decimal::Parse(TextOf(bytes)); }

void WriteDbaseDate(DbaseDate date, std::span<std::uint8_t> bytes) {
  if (date.year == 0 && date.month == 0 && date.day == 0) {
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
    return;
  }
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", std::clamp(date.year, 0, 9999),
                std::clamp(date.month, 0, 12), std::clamp(date.day, 0, 31));
  std::copy_n(text, std::min<std::size_t>(8, bytes.size()), bytes.begin());
}

std::optional<DbaseDate> ReadDbaseDate(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != 8 || !std::all_of(bytes.begin(), bytes.end(), IsDigit)) return std::nullopt;
  auto number = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (bytes[i] - '0');
    return value;
  };
  return DbaseDate{number(0, 4), number(4, 2), number(6, 2)};
}

int WriteDbaseLogical(char value, std::span<std::uint8_t> bytes) {
  std::uint8_t stored = 0;
  switch (value) {
    case 'T': case 't': case 'Y': case 'y': case '1': stored = 'T'; break;
    case 'F': case 'f': case 'N': case 'n': case '0': stored = 'F'; break;
    case ' ': case '?': stored = ' '; break;
    default: return kDbaseBadData;
  }
  std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
  if (!bytes.empty()) bytes[0] = stored;
  return 0;
}

std::uint8_t ReadDbaseLogical(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return '?';
  switch (bytes[0]) {
    case 'T': case 't': case 'Y': case 'y': return 1;
    case 'F': case 'f': case 'N': case 'n': return 0;
    default: return '?';
  }
}

int WriteDbaseMemoBlock(std::int64_t block, std::span<std::uint8_t> bytes) {
  if (block < 0) return kDbaseBadData;
  if (block == 0) {
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
    return 0;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%10llu", static_cast<unsigned long long>(block));
  const std::string_view written(text);
  if (written.size() > bytes.size() || ReadDbaseNumber({reinterpret_cast<const std::uint8_t*>(text), written.size()}) !=
                                           Decimal(block))
    return kDbaseBadData;
  Fill(bytes, written);
  return 0;
}

std::int64_t ReadDbaseMemoBlock(std::span<const std::uint8_t> bytes) { return ReadDbaseNumber(bytes).ToInt64(); }

int WriteDbaseColumnText(const DbaseColumn& column, std::string_view text, std::span<std::uint8_t> bytes) {
  switch (column.type) {
    case 'N':
    case 'F':
      if (IsBlank(text)) {
        std::fill(bytes.begin(), bytes.end(), std::uint8_t{' '});
        return 0;
      }
      return WriteDbaseNumber(column, Decimal::Parse(text), bytes);
    case 'D': {
      if (IsBlank(text)) {
        WriteDbaseDate({}, bytes);
        return 0;
      }
      const std::optional<DbaseDate> date = ParseDateText(text);
      if (!date) return kDbaseBadData;
      WriteDbaseDate(*date, bytes);
      return 0;
    }
    case 'L': return WriteDbaseLogical(text.empty() ? ' ' : text.front(), bytes);
    case 'M': {
      if (IsBlank(text)) return WriteDbaseMemoBlock(0, bytes);
      const Decimal block = Decimal::Parse(text);
      if (block != block.Int()) return kDbaseBadData;
      return WriteDbaseMemoBlock(block.ToInt64(), bytes);
    }
    default: {
      const std::size_t n = std::min(text.size(), bytes.size());
      std::copy_n(text.begin(), n, bytes.begin());
      std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(n), bytes.end(), std::uint8_t{' '});
      return 0;
    }
  }
}

}  // namespace zelvo
