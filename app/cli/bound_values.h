// BoundValues: the variables a command line binds for filter expressions,
// given as NAME=VALUE[:TYPE] (`zelvo eval --bind`, `zelvo table dump --bind`).
//
// TYPE is a declared type: BYTE, SHORT, USHORT, LONG, ULONG, REAL, DATE, TIME,
// DECIMAL(n,p), STRING(n), CSTRING(n), PSTRING(n), in any case. Without one,
// a whole number is a LONG, another number a REAL, anything else a STRING of
// its own length. DATE values are ISO dates ("2004-03-15"), TIME values
// "HH:MM[:SS[.hh]]"; an empty DATE or TIME is none. Texts are UTF-8 here and
// CP1251 inside. A value that its type cannot hold is refused with a message.
//
// The values own their storage for as long as the BoundValues live; Bind puts
// them into a binding scope.
//
// Example:
//     BoundValues v;
//     v.Add("dat=2004-03-01:DATE");   v.Add("numG=12");   v.Add("kod=07:STRING(2)");
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/field_declaration.h"
#include "storage/filter/filter_bindings.h"

namespace zelvo {

class BoundValues {
 public:
  // Nullopt when the binding was taken, else why not (UTF-8).
  std::optional<std::string> Add(std::string_view binding);
  void Bind(FilterBindings& bindings) const;
  // The program's own variables (core/program_variables.h), as they stand.
  static void BindProgramVariables(FilterBindings& bindings);

 private:
  struct Value {
    std::string name;
    FieldDeclaration declaration;
    std::vector<std::uint8_t> bytes;
  };
  std::deque<Value> values_;  // stable addresses: the bindings point into them
};

}  // namespace zelvo
