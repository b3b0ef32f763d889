// KeyDeclaration: one key of a declared table — its name, the text of its
// duplicate-key message, its attributes (DUP, OPT, NOCASE, PRIMARY) and one to
// four components, each a field of the table named within it, ascending or
// descending. Built at compile time (consteval): a key without components or
// with more than four is a compile error where it is declared.
//
// Example:
//     {"NUM_KEY", "BAS:num_key", kKeyPrimary, {{"NUM"}}}
//     {"MES_KEY", "SDE:mes_key", kKeyDup | kKeyOpt | kKeyNoCase, {{"DATA"}, {"MESTO", false}}}
//
// Immutable data; safe to read from any thread.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace zelvo {

// Key attributes, combined as bits.
enum KeyAttribute : std::uint8_t {
  kKeyDup = 1,       // duplicates allowed
  kKeyOpt = 2,       // optional: records with empty key values are not indexed
  kKeyNoCase = 4,    // case-insensitive
  kKeyPrimary = 8,   // unique; the table's primary key
  kKeyDynamic = 16,  // dynamic: built on demand (BUILDdyn), its entries kept outside the file
};

struct KeyComponent {
  std::string_view field;  // field name within the table
  bool ascending = true;
};

struct KeyDeclaration {
  static constexpr std::size_t kMaxComponents = 4;

  consteval KeyDeclaration(std::string_view keyName, std::string_view keyDescription,
                           std::uint8_t keyAttributes, std::initializer_list<KeyComponent> parts)
      : name(keyName), description(keyDescription), attributes(keyAttributes) {
    if (parts.size() == 0 || parts.size() > kMaxComponents) throw "key needs 1..4 components";
    for (const KeyComponent& part : parts) components[count++] = part;
  }

  std::string_view name;         // without the prefix: "NUM_KEY"
  std::string_view description;  // the duplicate-key message's text: "BAS:num_key"
  std::uint8_t attributes = 0;
  std::array<KeyComponent, kMaxComponents> components{};
  std::size_t count = 0;

  constexpr std::span<const KeyComponent> Components() const { return {components.data(), count}; }
  constexpr bool Has(KeyAttribute a) const { return (attributes & a) != 0; }
};

}  // namespace zelvo
