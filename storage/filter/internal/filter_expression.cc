#include "storage/filter/filter_expression.h"

#include <vector>

#include "storage/filter/internal/filter_functions.h"
#include "storage/filter/internal/filter_lexer.h"
#include "storage/filter/internal/filter_nodes.h"

namespace zelvo {
namespace {

using Kind = FilterToken::Kind;

// A node with the height of its tree, so that a long chain of operators is
// refused before it could make evaluation recurse too deep.
struct Built {
  NodePointer node;
  int height = 0;
  explicit operator bool() const { return node != nullptr; }
};

class Parser {
 public:
  Parser(std::string_view text, const FilterBindings& bindings, EvaluationStatus* status)
      : lexer_(text), bindings_(bindings), status_(status) {}

  Built Parse() {
    Built tree = Expression(0);
    if (!tree) return {};
    const FilterToken next = Peek();
    if (next.kind == Kind::Error) return Fail(next.offset, std::string(next.problem));
    end_ = next.offset;
    return tree;
  }
  std::size_t End() const { return end_; }
  FilterError& Error() { return error_; }

 private:
  FilterToken Peek() const { return lexer_.At(at_); }
  void Take(const FilterToken& token) { at_ = token.end; }

  Built Fail(std::size_t position, std::string problem) {
    if (error_.code == ErrorCode::Ok) {
      error_.code = ErrorCode::InvalidExpression;
      error_.position = position;
      error_.problem = std::move(problem);
    }
    return {};
  }
  Built Unbound(std::size_t position, std::string_view name) {
    error_.code = ErrorCode::NoBindOnVariable;
    error_.position = position;
    error_.name = std::string(name);
    return {};
  }
  // A name that is an operator word: the program did not bind it.
  std::optional<OperatorWord> Word(const FilterToken& t) const {
    if (t.kind != Kind::Name) return std::nullopt;
    const std::optional<OperatorWord> word = FindOperatorWord(t.text);
    if (word && bindings_.Find(t.text)) return std::nullopt;
    return word;
  }
  Built Checked(Built b) {
    if (b.height > FilterExpression::kMostNesting) return Fail(at_, "the expression is nested too deeply");
    return b;
  }
  template <class Make>
  Built Binary(Built left, Built right, Make make) {
    const int height = std::max(left.height, right.height) + 1;
    return Checked({make(std::move(left.node), std::move(right.node)), height});
  }
  bool Deeper(int depth) { return depth <= FilterExpression::kMostNesting; }

  Built Expression(int depth) {
    if (!Deeper(depth)) return Fail(at_, "the expression is nested too deeply");
    Built left = Conjunction(depth);
    while (left) {
      const FilterToken t = Peek();
      const auto word = Word(t);
      if (word != OperatorWord::Or && word != OperatorWord::Xor) break;
      Take(t);
      Built right = Conjunction(depth);
      if (!right) return {};
      left = Binary(std::move(left), std::move(right), [&](NodePointer a, NodePointer b) {
        return MakeLogic(word == OperatorWord::Or ? Logic::Or : Logic::Xor, std::move(a), std::move(b));
      });
    }
    return left;
  }

  Built Conjunction(int depth) {
    Built left = Negation(depth);
    while (left) {
      const FilterToken t = Peek();
      if (Word(t) != OperatorWord::And) break;
      Take(t);
      Built right = Negation(depth);
      if (!right) return {};
      left = Binary(std::move(left), std::move(right),
                    [](NodePointer a, NodePointer b) { return MakeLogic(Logic::And, std::move(a), std::move(b)); });
    }
    return left;
  }

  Built Negation(int depth) {
    bool negate = false;
    for (;;) {
      const FilterToken t = Peek();
      if (Word(t) != OperatorWord::Not && !t.Is('~')) break;
      Take(t);
      negate = !negate;
    }
    Built operand = Comparison(depth);
    if (!operand || !negate) return operand;
    return Checked({MakeNot(std::move(operand.node)), operand.height + 1});
  }

  // The relation at the next tokens, taking them; nullopt (nothing taken) when none.
  std::optional<Relation> TakeRelation() {
    const FilterToken first = Peek();
    if (first.kind != Kind::Symbol) return std::nullopt;
    const FilterToken second = lexer_.At(first.end);
    const char a = first.text[0];
    const char b = second.kind == Kind::Symbol && second.offset == first.end ? second.text[0] : '\0';
    auto two = [&](Relation r) {
      Take(second);
      return r;
    };
    auto one = [&](Relation r) {
      Take(first);
      return r;
    };
    switch (a) {
      case '=':
        if (b == '<') return two(Relation::LessOrEqual);
        if (b == '>') return two(Relation::GreaterOrEqual);
        return one(Relation::Equal);
      case '<':
        if (b == '>') return two(Relation::NotEqual);
        if (b == '=') return two(Relation::LessOrEqual);
        return one(Relation::Less);
      case '>':
        if (b == '=') return two(Relation::GreaterOrEqual);
        return one(Relation::Greater);
      case '~':
        if (b == '=') return two(Relation::NotEqual);
        if (b == '>') return two(Relation::LessOrEqual);
        if (b == '<') return two(Relation::GreaterOrEqual);
        return std::nullopt;
      default: return std::nullopt;
    }
  }

  Built Comparison(int depth) {
    Built left = Concatenation(depth);
    while (left) {
      const std::optional<Relation> relation = TakeRelation();
      if (!relation) break;
      Built right = Concatenation(depth);
      if (!right) return {};
      left = Binary(std::move(left), std::move(right), [&](NodePointer a, NodePointer b) {
        return MakeComparison(*relation, std::move(a), std::move(b));
      });
    }
    return left;
  }

  Built Concatenation(int depth) {
    Built left = Sum(depth);
    while (left && Peek().Is('&')) {
      Take(Peek());
      Built right = Sum(depth);
      if (!right) return {};
      left = Binary(std::move(left), std::move(right), MakeConcatenation);
    }
    return left;
  }

  Built Sum(int depth) {
    Built left = Product(depth);
    while (left) {
      const FilterToken t = Peek();
      if (!t.Is('+') && !t.Is('-')) break;
      Take(t);
      Built right = Product(depth);
      if (!right) return {};
      const Arithmetic op = t.Is('+') ? Arithmetic::Add : Arithmetic::Subtract;
      left = Binary(std::move(left), std::move(right),
                    [&](NodePointer a, NodePointer b) { return MakeArithmetic(op, std::move(a), std::move(b)); });
    }
    return left;
  }

  Built Product(int depth) {
    Built left = Power(depth);
    while (left) {
      const FilterToken t = Peek();
      if (!t.Is('*') && !t.Is('/') && !t.Is('%')) break;
      Take(t);
      Built right = Power(depth);
      if (!right) return {};
      const Arithmetic op = t.Is('*') ? Arithmetic::Multiply : t.Is('/') ? Arithmetic::Divide : Arithmetic::Remainder;
      left = Binary(std::move(left), std::move(right),
                    [&](NodePointer a, NodePointer b) { return MakeArithmetic(op, std::move(a), std::move(b)); });
    }
    return left;
  }

  Built Power(int depth) {
    Built left = Signed(depth);
    while (left && Peek().Is('^')) {
      Take(Peek());
      Built right = Signed(depth);
      if (!right) return {};
      left = Binary(std::move(left), std::move(right), [](NodePointer a, NodePointer b) {
        return MakeArithmetic(Arithmetic::Power, std::move(a), std::move(b));
      });
    }
    return left;
  }

  Built Signed(int depth) {
    bool negate = false;
    for (;;) {
      const FilterToken t = Peek();
      if (!t.Is('+') && !t.Is('-')) break;
      Take(t);
      if (t.Is('-')) negate = !negate;
    }
    Built operand = Primary(depth);
    if (!operand || !negate) return operand;
    return Checked({MakeNegation(std::move(operand.node)), operand.height + 1});
  }

  Built Primary(int depth) {
    const FilterToken t = Peek();
    switch (t.kind) {
      case Kind::Error: return Fail(t.offset, std::string(t.problem));
      case Kind::End: return Fail(t.offset, "an operand is due at the end");
      case Kind::Integer: Take(t); return {MakeIntegerConstant(t.integer), 1};
      case Kind::Real: Take(t); return {MakeRealConstant(t.real), 1};
      case Kind::String: Take(t); return {MakeStringConstant(t.string), 1};
      case Kind::Picture: Take(t); return {MakeStringConstant(std::string(t.text)), 1};
      case Kind::Symbol:
        if (t.Is('(')) {
          Take(t);
          Built inner = Expression(depth + 1);
          if (!inner) return {};
          const FilterToken close = Peek();
          if (close.kind == Kind::Error) return Fail(close.offset, std::string(close.problem));
          if (!close.Is(')')) return Fail(close.offset, "a ')' is due");
          Take(close);
          return inner;
        }
        return Fail(t.offset, "an operand is due");
      case Kind::Name: return Named(t, depth);
    }
    return Fail(t.offset, "an operand is due");
  }

  Built Named(const FilterToken& t, int depth) {
    if (const std::optional<BoundName> bound = bindings_.Find(t.text)) {
      Take(t);
      if (bound->kind == BoundName::Kind::Callable) {
        std::vector<NodePointer> arguments;
        int height = 0;
        if (!Arguments(t, kMostCallArguments, depth, arguments, height)) return {};
        return Checked({MakeCallableCall(*bound->callable, std::move(arguments)), height + 1});
      }
      return Variable(*bound, depth);
    }
    if (Word(t)) return Fail(t.offset, "an operator where an operand is due");
    const BuiltInFunction* function = FindBuiltInFunction(t.text);
    if (!function) return Unbound(t.offset, t.text);
    Take(t);
    if (TakesRawText(*function)) return RawText(t, *function);
    std::vector<NodePointer> arguments;
    int height = 0;
    if (!Arguments(t, function->maxArguments, depth, arguments, height)) return {};
    return Checked({MakeFunctionCall(*function, std::move(arguments), status_), height + 1});
  }

  // "(" [expression {"," expression}] ")" after a function's name.
  bool Arguments(const FilterToken& name, std::size_t most, int depth, std::vector<NodePointer>& out, int& height) {
    const FilterToken open = Peek();
    if (!open.Is('(')) {
      (void)Fail(name.offset, "a function is called with parentheses: " + std::string(name.text) + "()");
      return false;
    }
    Take(open);
    if (Peek().Is(')')) {
      Take(Peek());
      return true;
    }
    for (;;) {
      Built argument = Expression(depth + 1);
      if (!argument) return false;
      if (out.size() == most) {
        (void)Fail(at_, std::string(name.text) + " takes at most " + std::to_string(most) + " arguments");
        return false;
      }
      height = std::max(height, argument.height);
      out.push_back(std::move(argument.node));
      const FilterToken next = Peek();
      if (next.Is(',')) {
        Take(next);
        continue;
      }
      if (next.kind == Kind::Error) return (void)Fail(next.offset, std::string(next.problem)), false;
      if (!next.Is(')')) return (void)Fail(next.offset, "a ')' is due"), false;
      Take(next);
      return true;
    }
  }

  // SQL(...): the raw text to the matching parenthesis, quoted parts kept whole.
  Built RawText(const FilterToken& name, const BuiltInFunction& function) {
    const FilterToken open = Peek();
    if (!open.Is('(')) return Fail(name.offset, "a function is called with parentheses");
    const std::string_view text = lexer_.Text();
    int nesting = 1;
    bool quoted = false;
    for (std::size_t i = open.end; i < text.size(); ++i) {
      if (text[i] == '\'') quoted = !quoted;
      if (quoted) continue;
      if (text[i] == '(') ++nesting;
      if (text[i] == ')' && --nesting == 0) {
        std::vector<NodePointer> raw;
        raw.push_back(MakeStringConstant(std::string(text.substr(open.end, i - open.end))));
        at_ = i + 1;
        return {MakeFunctionCall(function, std::move(raw), status_), 2};
      }
    }
    return Fail(open.offset, "a ')' is due");
  }

  Built Variable(const BoundName& bound, int depth) {
    const FieldDeclaration& field = *bound.declaration;
    const FilterToken open = Peek();
    if (!open.Is('[')) return {MakeVariable(field, bound.bytes), 1};
    Take(open);
    std::vector<Built> indexes;
    Built to;
    for (;;) {
      Built index = Expression(depth + 1);
      if (!index) return {};
      indexes.push_back(std::move(index));
      const FilterToken next = Peek();
      if (next.Is(',') && indexes.size() < 2) {
        Take(next);
        continue;
      }
      if (next.Is(':')) {
        Take(next);
        to = Expression(depth + 1);
        if (!to) return {};
      }
      break;
    }
    const FilterToken close = Peek();
    if (close.kind == Kind::Error) return Fail(close.offset, std::string(close.problem));
    if (!close.Is(']')) return Fail(close.offset, "a ']' is due");
    Take(close);
    const bool array = field.elements > 1;
    if (!array && indexes.size() > 1) return Fail(open.offset, "only an array takes two indexes");
    int height = to ? to.height : 0;
    for (const Built& b : indexes) height = std::max(height, b.height);
    NodePointer element;
    std::size_t next = 0;
    if (array) element = std::move(indexes[next++].node);
    NodePointer variable = MakeVariable(field, bound.bytes, std::move(element));
    if (next == indexes.size()) {
      if (to) return Fail(open.offset, "a substring needs its first position");
      return Checked({std::move(variable), height + 1});
    }
    return Checked({MakeSubstring(std::move(variable), std::move(indexes[next].node), std::move(to.node)), height + 2});
  }

  FilterLexer lexer_;
  const FilterBindings& bindings_;
  EvaluationStatus* status_;
  std::size_t at_ = 0;
  std::size_t end_ = 0;
  FilterError error_;
};

}  // namespace

std::string FilterError::Describe() const {
  if (code == ErrorCode::NoBindOnVariable) return ErrorText(code) + " (" + name + ")";
  return ErrorText(code) + " at " + std::to_string(position) + ": " + problem;
}

FilterCompilation FilterExpression::Compile(std::string_view text, const FilterBindings& bindings) {
  auto status = std::make_unique<EvaluationStatus>();
  Parser parser(text, bindings, status.get());
  Built tree = parser.Parse();
  FilterCompilation result;
  if (!tree) {
    result.error = std::move(parser.Error());
    result.end = result.error.position;
    return result;
  }
  result.end = parser.End();
  result.expression = FilterExpression(std::move(tree.node), std::move(status));
  return result;
}

bool FilterCompilation::Whole(std::string_view text) const {
  return ok() && text.find_first_not_of(" \t", std::min(end, text.size())) == std::string_view::npos;
}

}  // namespace zelvo
