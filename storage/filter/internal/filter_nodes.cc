#include "storage/filter/internal/filter_nodes.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "runtime/locale.h"
#include "storage/field_codec.h"

namespace zelvo {

// ---- the node base ----------------------------------------------------------

std::string_view ValueClassName(ValueClass c) {
  switch (c) {
    case ValueClass::Integer: return "integer";
    case ValueClass::Real: return "real";
    case ValueClass::String: return "string";
  }
  return "string";
}

Decimal FilterNode::Exact() const {
  if (class_ == ValueClass::Integer) return Decimal(Integer());
  if (class_ == ValueClass::String) return Decimal::Parse(Text());
  return Decimal::FromDouble(Real());
}

bool FilterNode::Truth() const {
  switch (class_) {
    case ValueClass::Integer: return Integer() != 0;
    case ValueClass::Real: return Real() != 0.0;
    case ValueClass::String: return !Clip(Text()).empty();
  }
  return false;
}

std::int32_t RealToInteger(double value) {
  if (!(value == value)) return 0;  // NaN
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

double TextToReal(std::string_view text) { return Decimal::Parse(text).ToDouble(); }

std::string_view IntegerToText(std::int64_t value, std::string& buffer) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  buffer.assign(digits, result.ptr);
  return buffer;
}

std::string_view RealToText(double value, std::string& buffer) {
  value = Finite(value);
  if (value == std::trunc(value) && std::fabs(value) < 1e15)
    return IntegerToText(static_cast<std::int64_t>(value), buffer);
  char digits[40];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  buffer.assign(digits, result.ptr);
  return buffer;
}

double Finite(double value) { return std::isfinite(value) ? value : 0.0; }

// ---- comparison rules -------------------------------------------------------

bool RealsEqual(double a, double b) {
  const double difference = a - b;
  if (difference == 0.0) return true;
  if (!std::isfinite(difference)) return false;
  auto exponent = [](double x) { return x == 0.0 ? 0 : std::ilogb(x); };
  const int limit = std::max(exponent(a), exponent(b)) - 50;
  return std::ilogb(difference) < limit;
}

int CompareTexts(std::string_view a, std::string_view b) {
  const auto& weight = Locale().collation;
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = weight[i < a.size() ? static_cast<unsigned char>(a[i]) : ' '];
    const auto y = weight[i < b.size() ? static_cast<unsigned char>(b[i]) : ' '];
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

int CompareNodes(const FilterNode& a, const FilterNode& b) {
  if (a.Class() == ValueClass::Integer && b.Class() == ValueClass::Integer) {
    const std::int32_t x = a.Integer(), y = b.Integer();
    return x < y ? -1 : x > y ? 1 : 0;
  }
  if (a.Class() != ValueClass::String || b.Class() != ValueClass::String) {
    const double x = a.Real(), y = b.Real();
    if (RealsEqual(x, y)) return 0;
    return x < y ? -1 : 1;
  }
  return CompareTexts(a.Text(), b.Text());
}

namespace {

// ---- constants --------------------------------------------------------------

class IntegerConstant final : public FilterNode {
 public:
  explicit IntegerConstant(std::int32_t v) : FilterNode(ValueClass::Integer), value_(v) {
    IntegerToText(v, text_);
  }
  std::int32_t Integer() const override { return value_; }
  double Real() const override { return value_; }
  std::string_view Text() const override { return text_; }
  bool IsConstant() const override { return true; }

 private:
  std::int32_t value_;
  std::string text_;
};

class RealConstant final : public FilterNode {
 public:
  explicit RealConstant(double v) : FilterNode(ValueClass::Real), value_(v) { RealToText(v, text_); }
  std::int32_t Integer() const override { return RealToInteger(value_); }
  double Real() const override { return value_; }
  std::string_view Text() const override { return text_; }
  bool IsConstant() const override { return true; }

 private:
  double value_;
  std::string text_;
};

class StringConstant final : public FilterNode {
 public:
  explicit StringConstant(std::string v)
      : FilterNode(ValueClass::String), value_(std::move(v)), number_(TextToReal(value_)) {}
  std::int32_t Integer() const override { return RealToInteger(number_); }
  double Real() const override { return number_; }
  std::string_view Text() const override { return value_; }
  bool IsConstant() const override { return true; }

 private:
  std::string value_;
  double number_;
};

// ---- variables --------------------------------------------------------------

class Variable final : public FilterNode {
 public:
  Variable(const FieldDeclaration& field, const std::uint8_t* bytes, NodePointer element)
      : FilterNode(ClassOfField(field)), field_(field), bytes_(bytes), element_(std::move(element)) {}

  std::int32_t Integer() const override {
    const std::uint8_t* e = Element();
    if (!e) return 0;
    switch (field_.type) {
      case FieldType::Date: return ReadDate(e);
      case FieldType::Time: return ReadTime(e);
      case FieldType::Decimal: return ReadDecimal(field_, e).ToInt32();
      case FieldType::Real: return RealToInteger(ReadReal(e));
      case FieldType::ULong: return RealToInteger(static_cast<double>(ReadInteger(field_.type, e)));
      default:
        if (IsTextType(field_.type)) return RealToInteger(TextToReal(Text()));
        return static_cast<std::int32_t>(ReadInteger(field_.type, e));
    }
  }
  double Real() const override {
    const std::uint8_t* e = Element();
    if (!e) return 0.0;
    switch (field_.type) {
      case FieldType::Decimal: return ReadDecimal(field_, e).ToDouble();
      case FieldType::Real: return ReadReal(e);
      case FieldType::ULong: return static_cast<double>(ReadInteger(field_.type, e));
      default:
        if (IsTextType(field_.type)) return TextToReal(Text());
        return Integer();
    }
  }
  std::string_view Text() const override {
    const std::uint8_t* e = Element();
    if (!e) return Class() == ValueClass::String ? std::string_view{} : IntegerToText(0, text_);
    const auto* chars = reinterpret_cast<const char*>(e);
    switch (field_.type) {
      case FieldType::String: return {chars, field_.size};
      case FieldType::CString: {
        std::size_t n = 0;
        while (n + 1 < field_.size && chars[n] != '\0') ++n;
        return {chars, n};
      }
      case FieldType::PString: {
        const std::size_t n = std::min<std::size_t>(e[0], field_.size - 1u);
        return {chars + 1, n};
      }
      case FieldType::Decimal: text_ = ReadDecimal(field_, e).ToString(); return text_;
      case FieldType::Real: return RealToText(ReadReal(e), text_);
      default: return IntegerToText(field_.type == FieldType::ULong ? ReadInteger(field_.type, e) : Integer(), text_);
    }
  }
  Decimal Exact() const override {
    const std::uint8_t* e = Element();
    if (e && field_.type == FieldType::Decimal) return ReadDecimal(field_, e);
    if (e && IsIntegerType(field_.type)) return Decimal(ReadInteger(field_.type, e));
    return FilterNode::Exact();
  }

 private:
  const std::uint8_t* Element() const {
    if (!element_) return bytes_;
    const std::int32_t index = element_->Integer();
    if (index < 1 || index > field_.elements) return nullptr;
    return bytes_ + static_cast<std::size_t>(index - 1) * field_.ElementBytes();
  }

  const FieldDeclaration& field_;
  const std::uint8_t* bytes_;
  NodePointer element_;
  mutable std::string text_;
};

class Substring final : public FilterNode {
 public:
  Substring(NodePointer operand, NodePointer from, NodePointer to)
      : FilterNode(ValueClass::String), operand_(std::move(operand)), from_(std::move(from)), to_(std::move(to)) {}
  std::int32_t Integer() const override { return RealToInteger(Real()); }
  double Real() const override { return TextToReal(Text()); }
  std::string_view Text() const override {
    const std::string_view whole = operand_->Text();
    const std::int64_t from = from_->Integer();
    const std::int64_t to = to_ ? to_->Integer() : from;
    if (from < 1 || to < from || from > static_cast<std::int64_t>(whole.size())) return {};
    const auto last = std::min<std::int64_t>(to, static_cast<std::int64_t>(whole.size()));
    return whole.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(last - from + 1));
  }

 private:
  NodePointer operand_, from_, to_;
};

// ---- operators --------------------------------------------------------------

// The nodes whose value is a truth value or another integer computed from
// their operands: they give the other forms from the integer.
class IntegerResult : public FilterNode {
 public:
  IntegerResult() : FilterNode(ValueClass::Integer) {}
  double Real() const final { return Integer(); }
  std::string_view Text() const final { return IntegerToText(Integer(), text_); }

 private:
  mutable std::string text_;
};

class Comparison final : public IntegerResult {
 public:
  Comparison(Relation r, NodePointer a, NodePointer b) : relation_(r), a_(std::move(a)), b_(std::move(b)) {}
  std::int32_t Integer() const override {
    const int c = CompareNodes(*a_, *b_);
    switch (relation_) {
      case Relation::Equal: return c == 0;
      case Relation::NotEqual: return c != 0;
      case Relation::Less: return c < 0;
      case Relation::LessOrEqual: return c <= 0;
      case Relation::Greater: return c > 0;
      case Relation::GreaterOrEqual: return c >= 0;
    }
    return 0;
  }

 private:
  Relation relation_;
  NodePointer a_, b_;
};

class LogicNode final : public IntegerResult {
 public:
  LogicNode(Logic l, NodePointer a, NodePointer b) : logic_(l), a_(std::move(a)), b_(std::move(b)) {}
  std::int32_t Integer() const override {
    const bool x = a_->Truth();
    const bool y = b_->Truth();  // both sides always: no short cut
    switch (logic_) {
      case Logic::And: return x && y;
      case Logic::Or: return x || y;
      case Logic::Xor: return x != y;
    }
    return 0;
  }

 private:
  Logic logic_;
  NodePointer a_, b_;
};

class NotNode final : public IntegerResult {
 public:
  explicit NotNode(NodePointer a) : a_(std::move(a)) {}
  std::int32_t Integer() const override { return !a_->Truth(); }

 private:
  NodePointer a_;
};

// Nodes of real class computed on reals.
class RealResult : public FilterNode {
 public:
  RealResult() : FilterNode(ValueClass::Real) {}
  std::int32_t Integer() const final { return RealToInteger(Real()); }
  std::string_view Text() const final { return RealToText(Real(), text_); }

 private:
  mutable std::string text_;
};

class ArithmeticNode final : public RealResult {
 public:
  ArithmeticNode(Arithmetic op, NodePointer a, NodePointer b) : op_(op), a_(std::move(a)), b_(std::move(b)) {}
  double Real() const override {
    const double x = a_->Real(), y = b_->Real();
    switch (op_) {
      case Arithmetic::Add: return Finite(x + y);
      case Arithmetic::Subtract: return Finite(x - y);
      case Arithmetic::Multiply: return Finite(x * y);
      case Arithmetic::Divide: return y == 0.0 ? 0.0 : Finite(x / y);
      case Arithmetic::Remainder: return y == 0.0 ? 0.0 : Finite(std::fmod(x, y));
      case Arithmetic::Power: return Finite(std::pow(x, y));
    }
    return 0.0;
  }

 private:
  Arithmetic op_;
  NodePointer a_, b_;
};

class RealNegation final : public RealResult {
 public:
  explicit RealNegation(NodePointer a) : a_(std::move(a)) {}
  double Real() const override { return -a_->Real(); }

 private:
  NodePointer a_;
};

// Negating an integer keeps it an integer; only -2147483648 needs a real.
class IntegerNegation final : public FilterNode {
 public:
  explicit IntegerNegation(NodePointer a) : FilterNode(ValueClass::Integer), a_(std::move(a)) {}
  std::int32_t Integer() const override { return RealToInteger(-static_cast<double>(a_->Integer())); }
  double Real() const override { return -static_cast<double>(a_->Integer()); }
  std::string_view Text() const override { return IntegerToText(-static_cast<std::int64_t>(a_->Integer()), text_); }

 private:
  NodePointer a_;
  mutable std::string text_;
};

class Concatenation final : public FilterNode {
 public:
  Concatenation(NodePointer a, NodePointer b) : FilterNode(ValueClass::String), a_(std::move(a)), b_(std::move(b)) {}
  std::int32_t Integer() const override { return RealToInteger(Real()); }
  double Real() const override { return TextToReal(Text()); }
  std::string_view Text() const override {
    const std::string_view x = a_->Text();
    text_.assign(x);  // before the other side may reuse a buffer x lives in
    text_.append(b_->Text());
    return text_;
  }

 private:
  NodePointer a_, b_;
  mutable std::string text_;
};

}  // namespace

ValueClass ClassOfField(const FieldDeclaration& field) {
  switch (field.type) {
    case FieldType::Byte:
    case FieldType::Short:
    case FieldType::UShort:
    case FieldType::Long:
    case FieldType::Date:
    case FieldType::Time: return ValueClass::Integer;
    case FieldType::ULong:
    case FieldType::Real:
    case FieldType::Decimal: return ValueClass::Real;
    default: return ValueClass::String;
  }
}

NodePointer MakeIntegerConstant(std::int32_t value) { return std::make_unique<IntegerConstant>(value); }
NodePointer MakeRealConstant(double value) { return std::make_unique<RealConstant>(value); }
NodePointer MakeStringConstant(std::string value) { return std::make_unique<StringConstant>(std::move(value)); }
NodePointer MakeVariable(const FieldDeclaration& field, const std::uint8_t* bytes, NodePointer element) {
  return std::make_unique<Variable>(field, bytes, std::move(element));
}
NodePointer MakeSubstring(NodePointer operand, NodePointer from, NodePointer to) {
  return std::make_unique<Substring>(std::move(operand), std::move(from), std::move(to));
}
NodePointer MakeComparison(Relation relation, NodePointer left, NodePointer right) {
  return std::make_unique<Comparison>(relation, std::move(left), std::move(right));
}
NodePointer MakeLogic(Logic logic, NodePointer left, NodePointer right) {
  return std::make_unique<LogicNode>(logic, std::move(left), std::move(right));
}
NodePointer MakeNot(NodePointer operand) { return std::make_unique<NotNode>(std::move(operand)); }
NodePointer MakeArithmetic(Arithmetic op, NodePointer left, NodePointer right) {
  return std::make_unique<ArithmeticNode>(op, std::move(left), std::move(right));
}
NodePointer MakeNegation(NodePointer operand) {
  if (operand->Class() == ValueClass::Integer) return std::make_unique<IntegerNegation>(std::move(operand));
  return std::make_unique<RealNegation>(std::move(operand));
}
NodePointer MakeConcatenation(NodePointer left, NodePointer right) {
  return std::make_unique<Concatenation>(std::move(left), std::move(right));
}

}  // namespace zelvo
