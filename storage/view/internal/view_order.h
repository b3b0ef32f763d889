// The order of a view: its text split into components, the choice of the
// primary FILE's key that delivers the longest run of them, and the byte
// strings rows are sorted by when no key delivers the whole order.
//
// Order text: components separated by ','; blanks and tabs around a component
// are skipped; a leading '-' makes it descending, '+' (the default) ascending;
// the rest is a filter expression, compiled as the longest expression the
// text allows. A component that does not compile ends the list.
//     "NBA:NUM, -NBA:DATA"   two components, the second descending
//     "NBA:FAM, ) junk"      one component
//
// Key choice. Every key of the primary FILE starts as a candidate. For
// component 1, 2, ... in turn a key stays a candidate when its component at
// that place is the component's field; at the first place a key of the other
// direction stays too, walked backwards; later, the key component's direction,
// the walking direction and the order's direction must agree. When no
// candidate matches a component the run ends; a key failing a component is
// dropped only while another still matches it.
//     NBASA keys NUM_KEY (NUM, DATA), FAM_KEY (FAM):
//     "NBA:NUM,NBA:DATA"   NUM_KEY forwards, 2 delivered
//     "-NBA:NUM,NBA:DATA"  NUM_KEY backwards, 1 delivered: DATA is sorted
//     "NBA:POST"           no key: record order, 0 delivered
//
// Sort keys compare as unsigned bytes in the order's sense: integers and
// reals by value, texts blank-padded in collation order; a descending
// component has its bytes inverted.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "storage/filter/filter_expression.h"
#include "storage/key_declaration.h"

namespace zelvo {

struct OrderComponent {
  std::string text;        // the expression's text, without its sign
  bool descending = false;
  std::optional<std::size_t> field;  // the primary FILE's field it names alone, if it does
  FilterExpression expression;
};

// `primaryPrefix` and `primaryFields` find the components that name a field of
// the primary FILE.
std::vector<OrderComponent> CompileOrder(std::string_view text, const FilterBindings& bindings,
                                         std::string_view primaryPrefix,
                                         std::span<const FieldDeclaration> primaryFields);

struct KeyChoice {
  std::size_t key = 0;     // 1-based; 0: record order
  bool backwards = false;
  std::size_t delivered = 0;
};

KeyChoice ChooseKey(std::span<const OrderComponent> order, std::span<const FieldDeclaration> fields,
                    std::span<const KeyDeclaration> keys);

// Appends the component's current value, in its direction, to `key`.
void AppendSortValue(const OrderComponent& component, std::string& key);

}  // namespace zelvo
