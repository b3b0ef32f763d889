// FilterNode: one node of a compiled filter expression, and the value classes
// every node belongs to.
//
// A node delivers its value in any of three forms — as a 32-bit integer, as a
// real, as text — whatever its own class; the class decides how comparisons
// treat it (integer against integer as integers, any number as reals, text
// against text blank-padded in collation order). Conversions between forms:
//     real -> integer   truncated toward zero, saturating at the int32 range
//     real -> text      the runtime's number text: "12", "12.5", "1e+20"
//     text -> number    Decimal::Parse ("  12,5abc" is 12.5; no digits is 0)
// A node's Exact() is its value as a Decimal, exact for DECIMAL variables and
// integers, the real's nearest value otherwise (what FORMAT shows).
//
// Text() gives a view that stays valid until the node is evaluated again: a
// node keeps the buffer its text is built in, so evaluating a compiled tree
// again reuses what the first evaluation allocated. For that reason a tree is
// evaluated by one thread at a time.
//
// Evaluation never fails as an operation: the few functions that cannot be
// evaluated (MEMORY, INSTRING without its text, SQL) give 0 and record 800 in
// the expression's EvaluationStatus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/decimal.h"
#include "storage/error_code.h"

namespace zelvo {

enum class ValueClass : std::uint8_t { Integer, Real, String };

std::string_view ValueClassName(ValueClass c);  // "integer", "real", "string"

// What went wrong while a tree was last evaluated; Ok when nothing did.
struct EvaluationStatus {
  ErrorCode code = ErrorCode::Ok;
};

class FilterNode {
 public:
  explicit FilterNode(ValueClass valueClass) : class_(valueClass) {}
  virtual ~FilterNode() = default;
  FilterNode(const FilterNode&) = delete;
  FilterNode& operator=(const FilterNode&) = delete;

  ValueClass Class() const { return class_; }

  virtual std::int32_t Integer() const = 0;
  virtual double Real() const = 0;
  virtual std::string_view Text() const = 0;
  virtual Decimal Exact() const;
  // Integer class: not zero; real: not 0.0; text: not empty once trailing blanks go.
  bool Truth() const;
  // A constant's value never changes: what depends on it is worked out once.
  virtual bool IsConstant() const { return false; }

 private:
  ValueClass class_;
};

using NodePointer = std::unique_ptr<FilterNode>;

// The conversions above, shared by every node.
std::int32_t RealToInteger(double value);
double TextToReal(std::string_view text);
// Writes the number's text into `buffer` (reusing its storage) and returns it.
std::string_view RealToText(double value, std::string& buffer);
std::string_view IntegerToText(std::int64_t value, std::string& buffer);
// How comparisons treat texts (blank-padded, in collation order: -1, 0, 1) and
// reals (equal within the runtime's tolerance).
int CompareTexts(std::string_view a, std::string_view b);
bool RealsEqual(double a, double b);

}  // namespace zelvo
