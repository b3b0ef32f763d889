#include "storage/field_codec.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <limits>
#include <span>

namespace zelvo {
namespace {

struct IntegerShape {
  int bytes;
  bool isSigned;
};

IntegerShape ShapeOf(FieldType type) {
  switch (type) {
    case FieldType::Byte: return {1, false};
    case FieldType::Short: return {2, true};
    case FieldType::UShort: return {2, false};
    case FieldType::Long: return {4, true};
    case FieldType::ULong: return {4, false};
    default: return {0, false};
  }
}

std::uint64_t LoadLittle(const std::uint8_t* bytes, int count) {
  std::uint64_t word = 0;
  for (int i = count - 1; i >= 0; --i) word = (word << 8) | bytes[i];
  return word;
}

void StoreLittle(std::uint8_t* bytes, int count, std::uint64_t word) {
  for (int i = 0; i < count; ++i) {
    bytes[i] = static_cast<std::uint8_t>(word & 0xFF);
    word >>= 8;
  }
}

std::span<const std::uint8_t> ElementSpan(const FieldDeclaration& field, const std::uint8_t* bytes) {
  return {bytes, field.ElementBytes()};
}

}  // namespace

std::int64_t ReadInteger(FieldType type, const std::uint8_t* bytes) {
  const IntegerShape shape = ShapeOf(type);
  const std::uint64_t word = LoadLittle(bytes, shape.bytes);
  if (!shape.isSigned) return static_cast<std::int64_t>(word);
  const int bits = shape.bytes * 8;
  const std::uint64_t signBit = std::uint64_t{1} << (bits - 1);
  return static_cast<std::int64_t>(word ^ signBit) - static_cast<std::int64_t>(signBit);
}

StoreResult WriteInteger(FieldType type, std::uint8_t* bytes, std::int64_t value) {
  const IntegerShape shape = ShapeOf(type);
  const int bits = shape.bytes * 8;
  const std::int64_t low = shape.isSigned ? -(std::int64_t{1} << (bits - 1)) : 0;
  const std::int64_t high = shape.isSigned ? (std::int64_t{1} << (bits - 1)) - 1
                                           : (std::int64_t{1} << bits) - 1;
  if (shape.bytes == 0 || value < low || value > high) return StoreResult::Overflow;
  StoreLittle(bytes, shape.bytes, static_cast<std::uint64_t>(value));
  return StoreResult::Ok;
}

double ReadReal(const std::uint8_t* bytes) {
  return std::bit_cast<double>(LoadLittle(bytes, 8));
}

void WriteReal(std::uint8_t* bytes, double value) {
  StoreLittle(bytes, 8, std::bit_cast<std::uint64_t>(value));
}

Decimal ReadDecimal(const FieldDeclaration& field, const std::uint8_t* bytes) {
  return Decimal::ReadPacked(ElementSpan(field, bytes), field.size, field.places);
}

StoreResult WriteDecimal(const FieldDeclaration& field, std::uint8_t* bytes, const Decimal& value) {
  return value.WritePacked({bytes, field.ElementBytes()}, field.size, field.places);
}

DayNumber ReadDate(const std::uint8_t* bytes) { return DayFromPacked(LoadPacked(bytes)); }

StoreResult WriteDate(std::uint8_t* bytes, DayNumber day) {
  if (day != kNoDate && !IsValidDay(day)) return StoreResult::Overflow;
  StorePacked(bytes, day == kNoDate ? 0 : PackDay(day));
  return StoreResult::Ok;
}

TimeValue ReadTime(const std::uint8_t* bytes) {
  const TimeValue time = TimeFromPacked(LoadPacked(bytes));
  return time < 0 ? kNoTime : time;
}

StoreResult WriteTime(std::uint8_t* bytes, TimeValue time) {
  if (time != kNoTime && !IsValidTime(time)) return StoreResult::Overflow;
  StorePacked(bytes, time == kNoTime ? 0 : PackTime(time));
  return StoreResult::Ok;
}

std::string_view Clip(std::string_view text) {
  const std::size_t end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

std::string ReadText(const FieldDeclaration& field, const std::uint8_t* bytes) {
  const char* chars = reinterpret_cast<const char*>(bytes);
  const std::size_t capacity = field.size;
  switch (field.type) {
    case FieldType::String: return std::string(chars, capacity);
    case FieldType::CString: {
      // At most n-1 bytes even when a damaged record lacks the terminator.
      const void* zero = std::memchr(chars, 0, capacity - 1);
      const std::size_t length =
          zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - chars) : capacity - 1;
      return std::string(chars, length);
    }
    case FieldType::PString: {
      const std::size_t length = std::min<std::size_t>(bytes[0], capacity - 1);
      return std::string(chars + 1, length);
    }
    default: return {};
  }
}

StoreResult WriteText(const FieldDeclaration& field, std::uint8_t* bytes, std::string_view text,
                      TextFit fit) {
  if (field.type == FieldType::CString) text = text.substr(0, text.find('\0'));
  const std::size_t room = field.type == FieldType::String ? field.size : field.size - 1u;
  if (text.size() > room) {
    if (fit == TextFit::Refuse && Clip(text).size() > room) return StoreResult::Overflow;
    text = text.substr(0, room);
  }
  char* chars = reinterpret_cast<char*>(bytes);
  switch (field.type) {
    case FieldType::String:
      std::memset(chars, ' ', field.size);
      std::memcpy(chars, text.data(), text.size());
      break;
    case FieldType::CString:
      std::memset(chars, 0, field.size);
      std::memcpy(chars, text.data(), text.size());
      break;
    case FieldType::PString:
      std::memset(chars, 0, field.size);
      bytes[0] = static_cast<std::uint8_t>(text.size());
      std::memcpy(chars + 1, text.data(), text.size());
      break;
    default: return StoreResult::Overflow;
  }
  return StoreResult::Ok;
}

void ClearElement(const FieldDeclaration& field, std::uint8_t* bytes) {
  std::memset(bytes, field.type == FieldType::String ? ' ' : 0, field.ElementBytes());
}

std::string ValueText(const FieldDeclaration& field, const std::uint8_t* bytes) {
  switch (field.type) {
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::UShort:
    case FieldType::Long:
    case FieldType::ULong: return std::to_string(ReadInteger(field.type, bytes));
    case FieldType::Real: {
      char text[32];
      const auto result = std::to_chars(text, text + sizeof text, ReadReal(bytes));
      return std::string(text, result.ptr);
    }
    case FieldType::Date: return std::to_string(ReadDate(bytes));
    case FieldType::Time: return std::to_string(ReadTime(bytes));
    case FieldType::Decimal: return ReadDecimal(field, bytes).ToString();
    case FieldType::String:
    case FieldType::CString:
    case FieldType::PString: return std::string(Clip(ReadText(field, bytes)));
  }
  return {};
}

StoreResult AssignText(const FieldDeclaration& field, std::uint8_t* bytes, std::string_view text) {
  if (IsTextType(field.type)) return WriteText(field, bytes, text);
  const Decimal number = Decimal::Parse(text);
  switch (field.type) {
    case FieldType::Decimal: return WriteDecimal(field, bytes, number);
    case FieldType::Real: WriteReal(bytes, number.ToDouble()); return StoreResult::Ok;
    case FieldType::Date: return WriteDate(bytes, static_cast<DayNumber>(number.ToInt32()));
    case FieldType::Time: return WriteTime(bytes, static_cast<TimeValue>(number.ToInt32()));
    default: {
      const Decimal whole = number.Int();
      if (whole.IntegerDigits() > 18) return StoreResult::Overflow;
      return WriteInteger(field.type, bytes, whole.ToInt64());
    }
  }
}

}  // namespace zelvo
