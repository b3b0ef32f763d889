// The node kinds of a compiled filter expression other than function calls:
// constants, variables (with an element index or a substring), and the
// operators. Made by the compiler (storage/filter/filter_expression.h); the function
// calls are in storage/filter/internal/filter_functions.h.
//
// Comparisons follow the evaluation rules of filters:
//     integer with integer      as 32-bit integers
//     any other pair with a number   as reals; two reals are equal when their
//                               difference is zero or its binary exponent lies
//                               more than 50 below that of either operand (a
//                               zero operand counts with the exponent of 1.0)
//     text with text            the shorter padded with blanks, then byte by
//                               byte in the locale's collation order
// AND, OR and XOR evaluate both sides. Arithmetic is done on reals: division
// and remainder by zero give 0, and so does a power or any other result that
// is not a finite number.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/field_declaration.h"
#include "storage/filter/filter_node.h"

namespace zelvo {

// -1, 0, 1 by the rules above.
int CompareNodes(const FilterNode& a, const FilterNode& b);
// A real result as the arithmetic gives it: not finite becomes 0.
double Finite(double value);

NodePointer MakeIntegerConstant(std::int32_t value);
NodePointer MakeRealConstant(double value);
NodePointer MakeStringConstant(std::string value);

// The class of a variable of that declared type.
ValueClass ClassOfField(const FieldDeclaration& field);
// A variable: its first element, or with `element` (1-based, evaluated each
// time) that element; an element outside the field reads as a cleared value.
NodePointer MakeVariable(const FieldDeclaration& field, const std::uint8_t* bytes,
                         NodePointer element = nullptr);
// Characters from..to (1-based, inclusive) of the operand's text; without
// `to`, the one character at `from`.
NodePointer MakeSubstring(NodePointer operand, NodePointer from, NodePointer to);

enum class Relation : std::uint8_t { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };
enum class Logic : std::uint8_t { And, Or, Xor };
enum class Arithmetic : std::uint8_t { Add, Subtract, Multiply, Divide, Remainder, Power };

NodePointer MakeComparison(Relation relation, NodePointer left, NodePointer right);
NodePointer MakeLogic(Logic logic, NodePointer left, NodePointer right);
NodePointer MakeNot(NodePointer operand);
NodePointer MakeArithmetic(Arithmetic op, NodePointer left, NodePointer right);
NodePointer MakeNegation(NodePointer operand);
NodePointer MakeConcatenation(NodePointer left, NodePointer right);

}  // namespace zelvo
