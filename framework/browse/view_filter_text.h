// The filter a view reader gives its view: the range limit of the current
// sort order written as conditions on the key's components, then each named
// filter in parentheses, all joined by " AND ".
//
//     key NAM:DEPT_KEY (DEPT, NAME), NOCASE; range on DEPT, limit "O'Neil";
//     standard filter "NAM:AGE > 30":
//     UPPER(NAM:DEPT) = UPPER('O''Neil') AND (NAM:AGE > 30)
//
// A text value is quoted with its single quotes doubled (and upper-cased in
// the expression when the component is case-insensitive); other values are
// written as their plain text (dates and times as their numbers, as the
// expressions read those fields). Stateless.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "framework/browse/sort_entry.h"
#include "storage/key_declaration.h"

namespace zelvo {

// 'text' with every single quote doubled.
std::string QuotedText(std::string_view text);

// Key component `component` (0-based) as expressions name it: "NAM:NAME", or
// "UPPER(NAM:NAME)" on a case-insensitive key.
std::string KeyComponentName(std::string_view prefix, const KeyDeclaration& key, std::size_t component);

// The literal of a field's value for a condition on a component named `name`.
std::string ValueLiteral(LinkedFieldPairs::Side value, std::string_view name);

// The whole filter of `entry` over a primary FILE whose fields carry `prefix`;
// `key` is the entry's main key (nullptr when it has none: no range part).
std::string ViewFilterText(const SortEntry& entry, std::string_view prefix, const KeyDeclaration* key);

}  // namespace zelvo
