// Reading one JSON document for the command-line tools, so that amounts keep
// every digit they were written with.
//
// A JSON number with a fraction or an exponent, or an integer too large for
// 64 bits, is never turned into a double: it is kept as its exact text in a
// binary value with subtype kNumberTextSubtype (JSON text itself can never
// produce a binary value, so the marker cannot be confused with input).
// Integers that fit 64 bits stay JSON integers. NumberText reads either back
// as text; record_json.h turns that text into a Decimal.
//
// A member name given twice in one object is refused: the later value would
// otherwise silently win.
//
//     ParseJsonDocument(R"({"OKLAD": 10000.50})")  -> OKLAD holds the text "10000.50"
//     ParseJsonDocument("{\"a\":1,\"a\":2}")        -> error "duplicate member \"a\" ..."
//
// Stateless; safe from any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zelvo {

using Json = nlohmann::ordered_json;

inline constexpr std::uint8_t kNumberTextSubtype = 0x4E;  // 'N'

struct JsonDocument {
  Json value;
  std::string error;  // empty when the text was read; else what is wrong and where
  bool ok() const { return error.empty(); }
};

// One document; anything but blanks after it is an error.
[[nodiscard]] JsonDocument ParseJsonDocument(std::string_view text);

// The text of a JSON number (an integer or a kept number text); nullopt for
// any other value.
std::optional<std::string> NumberText(const Json& value);

}  // namespace zelvo
