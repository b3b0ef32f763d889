// SortEntry: one sort order of a view reader — the key it follows, the view's
// order text built from that key, the range limit that keeps the reader to a
// part of the key, and the named filters laid over it.
//
// Range limits (limitType) and the pairs of rangeList — left: the limit value
// (a field of a parent record or a program value), right: the range field of
// the primary record, i.e. key component i for pair i:
//     None            no limit
//     CurrentValue    component i = its own value when the reader was reset
//                     (left and right are the same field)
//     SingleValue     component i = the value of a program field
//     Pair            as SingleValue for all but the last two pairs; the last
//                     two are the low and the high bound of the next component
//     RelatedRecord   component i = linking field i of the parent's current
//                     record (AddRangeLimit)
// The buffers of rangeList remember the limit values of the last reset.
//
// Named filters are kept in ascending order of their ids, so the reader
// combines them as "3 Locator", "5 Standard", "9 - QBE".
//
// The free element is the first key component after the limited ones: the
// field a locator and a scrollbar scale work on.
//
// Owned by its ViewReader; used only by the run token's holder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "framework/data/linked_field_pairs.h"
#include "platform/field_binding.h"

namespace zelvo {

enum class LimitType : std::uint8_t {
  None = 0,
  CurrentValue = 1,
  SingleValue = 2,
  Pair = 3,
  RelatedRecord = 4,
};

inline constexpr const char* kLocatorFilter = "3 Locator";
inline constexpr const char* kStandardFilter = "5 Standard";
inline constexpr const char* kQueryFilter = "9 - QBE";

struct SortEntry {
  std::map<std::string, std::string> filters;  // id -> expression text, ascending ids
  std::optional<FieldBinding> freeElement;     // none when the order has no key
  LimitType limitType = LimitType::None;
  std::size_t mainKey = 0;  // 1-based key of the primary FILE; 0 none
  std::string order;        // "NAM:DEPT,-NAM:DATE"
  LinkedFieldPairs rangeList;

  // Pairs of rangeList that say "component i equals": all of them, but for a
  // Pair limit all but the two bounds.
  std::size_t EqualityPairs() const {
    if (limitType == LimitType::None) return 0;
    if (limitType == LimitType::Pair) return rangeList.Size() >= 2 ? rangeList.Size() - 2 : 0;
    return rangeList.Size();
  }
};

}  // namespace zelvo
