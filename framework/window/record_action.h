// RecordAction: the request a caller hands to the procedure it calls, and
// the program-wide values that carry it there and the response back.
//
//     caller:  PendingRequest = RecordAction::Insert; SomeFormUp(); if (LastResponse == kCompleted) ...
//     callee:  request := PendingRequest; PendingRequest := 0; LastResponse := 0;
//              ... LastResponse := its RESPONSE when it returns
//
// Responses: 1 completed, 2 cancelled (0, none yet, is returned as 2).
// PendingVcrRequest holds a pending toolbar navigation request (0 none).
// Like all program state these are touched only by the run token's holder.
#pragma once

#include <cstdint>

namespace zelvo {

enum class RecordAction : std::uint8_t {
  None = 0,
  Insert = 1,
  Change = 2,
  Delete = 3,
  Select = 4,
  Print = 5,
  View = 6,
};

inline constexpr std::uint8_t kCompleted = 1;
inline constexpr std::uint8_t kCancelled = 2;

extern RecordAction PendingRequest;
extern std::uint8_t LastResponse;
extern std::int32_t PendingVcrRequest;

}  // namespace zelvo
