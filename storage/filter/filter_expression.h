// FilterExpression: a filter text compiled once into an expression tree over
// bound names, then evaluated as often as needed.
//
// Grammar, loosest binding first (binary operators associate to the left):
//     expression    conjunction { (OR | XOR) conjunction }
//     conjunction   negation { AND negation }
//     negation      { NOT | ~ } comparison          NOT a = b is NOT (a = b)
//     comparison    concatenation { relation concatenation }
//                   relation: = < > <> ~= <= =< ~> >= => ~<   (~> is <=, ~< is >=)
//     concatenation sum { & sum }
//     sum           product { (+ | -) product }
//     product       power { (* | / | %) power }
//     power         signed { ^ signed }
//     signed        { + | - } primary
//     primary       constant | ( expression ) | function ( [arguments] ) |
//                   variable [ [index {, index}] | [from : to] ]
// Operator words are names (any case) unless the program bound the name.
// Compile reads the longest expression from the start of the text and stops
// before the first token that cannot continue it (the end, ',', ':', a closing
// parenthesis or bracket, a name or a constant), reporting where. A lexical
// error, an incomplete construct (a missing operand or ')' or ']', a function
// without '(', too many arguments) or nesting deeper than kMostNesting is error
// 800 at its position; a name bound nowhere is 801 with the name. Any text
// gives a tree or an error.
//
// Examples:
//     Compile("1/2")       Integer() == 0, Real() == 0.5, class real
//     Compile("-7/2")      Integer() == -3
//     Compile("10h+101b")  Integer() == 21
//     Compile("'It''s'")   Text() == "It's"
//     Compile("a b")       a tree for "a", end == 2
//     Compile("today")     error 800: a function without its parentheses
//
// The tree refers to the bound bytes, which must outlive it; a compiled
// expression is evaluated by one thread at a time. Evaluating allocates
// nothing once each text buffer in the tree has grown to its size.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "storage/error_code.h"
#include "storage/filter/filter_bindings.h"
#include "storage/filter/filter_node.h"

namespace zelvo {

struct FilterError {
  ErrorCode code = ErrorCode::Ok;  // 800 or 801
  std::size_t position = 0;        // byte offset where parsing stopped
  std::string problem;             // 800: what was wrong there
  std::string name;                // 801: the unbound name
  // "Invalid expression for EVALUATE at 4: an operand is due" or "No BIND on variable (foo)".
  std::string Describe() const;
};

class FilterExpression;

struct [[nodiscard]] FilterCompilation;

class FilterExpression {
 public:
  static constexpr int kMostNesting = 200;

  static FilterCompilation Compile(std::string_view text, const FilterBindings& bindings = CurrentBindings());

  ValueClass Class() const { return root_->Class(); }
  std::int32_t Integer() const { return Reset().Integer(); }
  double Real() const { return Reset().Real(); }
  std::string_view Text() const { return Reset().Text(); }
  bool Truth() const { return Reset().Truth(); }
  Decimal Exact() const { return Reset().Exact(); }
  // 800 when the last evaluation met MEMORY, SQL or INSTRING without its text.
  ErrorCode EvaluationError() const { return status_->code; }

 private:
  FilterExpression(NodePointer root, std::unique_ptr<EvaluationStatus> status)
      : root_(std::move(root)), status_(std::move(status)) {}
  const FilterNode& Reset() const {
    status_->code = ErrorCode::Ok;
    return *root_;
  }

  NodePointer root_;
  std::unique_ptr<EvaluationStatus> status_;
};

struct [[nodiscard]] FilterCompilation {
  std::optional<FilterExpression> expression;  // absent on error
  std::size_t end = 0;                         // where the expression ended
  FilterError error;

  bool ok() const { return expression.has_value(); }
  // Compiled, with nothing but blanks after it.
  bool Whole(std::string_view text) const;
};

}  // namespace zelvo
