// FilterBindings: the names a filter expression may use — a stack of binding
// scopes holding program variables, record fields and callable entries.
//
// Lookup walks from the innermost scope outwards and ends after the first
// scope that carries the stop flag; the built-in functions and the operator
// words AND, OR, XOR, NOT (storage/filter/internal/filter_functions.h) are found after the
// program's scopes whatever the flags, so a stopped scope still compiles
// "a=1 and b=2". Names compare without regard to case (folded to upper case
// with the locale tables, then compared in collation order).
//
// A variable entry refers to bytes owned elsewhere (a program variable, a
// FILE's record buffer) with the declaration that says how to read them; the
// bytes must outlive every expression compiled against the entry. A compiled
// expression keeps the reference, not the entry: popping the scope later does
// not invalidate it.
//
// Example:
//     FilterBindings b;                 // one open scope
//     b.BindRecord("NBA", file.Record());   // NBA:NUM, NBA:DATA, ...
//     b.Push();  b.Bind("dat", &VAR_dat_declaration, bytes);
//     b.Pop() == ErrorCode::Ok;  b.Pop() == Ok;  b.Pop() == MismatchedScope (802)
//
// Each procedure thread has its own stack (CurrentBindings()); a FilterBindings
// is not shared between threads.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/error_code.h"
#include "storage/field_declaration.h"
#include "storage/record_buffer.h"

namespace zelvo {

// A program-bound callable: takes its arguments as texts, answers a text.
using BoundCallable = std::function<std::string(std::span<const std::string_view>)>;

struct BoundName {
  enum class Kind : std::uint8_t { Variable, Callable };
  Kind kind = Kind::Variable;
  const FieldDeclaration* declaration = nullptr;  // Variable
  const std::uint8_t* bytes = nullptr;            // Variable: its first element
  const BoundCallable* callable = nullptr;        // Callable
};

class FilterBindings {
 public:
  FilterBindings() { Push(); }

  // Opens a new innermost scope; with `stop`, lookups end after it.
  void Push(bool stop = false);
  // Discards the innermost scope; 802 when none is open.
  [[nodiscard]] ErrorCode Pop();

  // The name is taken up to its first character that is not a letter, digit,
  // '_' or ':', a trailing '#', '$' or '"' kept. Rebinding a name replaces it.
  // REQUIRES: `bytes` holds the declared field (all its elements).
  void Bind(std::string_view name, const FieldDeclaration& declaration, const std::uint8_t* bytes);
  // Every field of the record as "PREFIX:NAME".
  void BindRecord(std::string_view prefix, const RecordBuffer& record);
  void BindCallable(std::string_view name, BoundCallable callable);

  std::optional<BoundName> Find(std::string_view name) const;
  std::size_t Depth() const { return scopes_.size(); }

  // The bindable part of a name: "dat+1" -> "dat", "name$x" -> "name$".
  static std::string_view NamePart(std::string_view text);

 private:
  struct NameOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  struct Entry {
    BoundName name;
  };
  struct Scope {
    bool stop = false;
    std::map<std::string, Entry, NameOrder> names;
  };

  static std::string Folded(std::string_view name);

  std::vector<Scope> scopes_;
  std::vector<std::unique_ptr<BoundCallable>> callables_;
};

// The current procedure thread's binding stack.
FilterBindings& CurrentBindings();

}  // namespace zelvo
