// The state flags of an open FILE (or VIEW) and the precondition table the
// runtime applies around every operation: which flags an operation requires,
// which it forbids, and which it sets and clears on success and on failure.
//
//     O open            C current record     T in a LOGOUT transaction
//     S streaming       L locked             P positioned
//     W may write       X exclusive/locked   K key built (a FILE: inside INVIEW)
//     w watch armed     V watched            h hold armed
//     H held            N set, not yet read  B BUILD with progress events running
//
// CheckOperation decides before the operation: go ahead, skip it without
// error, or fail with a code. UpdateAfter applies the table's sets and clears
// once the operation answered. Both are pure functions of the flags.
//
// Example:
//     CheckOperation(FileOperation::NEXT, kOpen)            -> Fail 33 (P missing)
//     CheckOperation(FileOperation::OPEN, kOpen)            -> Fail 52
//     CheckOperation(FileOperation::LOCKfile, kOpen|kLocked) -> Skip
#pragma once

#include <cstdint>

#include "storage/error_code.h"
#include "storage/file_operation.h"

namespace zelvo {

using StateFlags = std::uint16_t;
inline constexpr StateFlags kOpen = 0x1;               // O
inline constexpr StateFlags kCurrentRecord = 0x2;      // C
inline constexpr StateFlags kInTransaction = 0x4;      // T
inline constexpr StateFlags kStreaming = 0x8;          // S
inline constexpr StateFlags kLocked = 0x10;            // L
inline constexpr StateFlags kPositioned = 0x20;        // P
inline constexpr StateFlags kWritable = 0x40;          // W
inline constexpr StateFlags kExclusive = 0x80;         // X
inline constexpr StateFlags kKeyBuilt = 0x100;         // K
inline constexpr StateFlags kWatchArmed = 0x200;       // w
inline constexpr StateFlags kWatched = 0x400;          // V
inline constexpr StateFlags kHoldArmed = 0x800;        // h
inline constexpr StateFlags kHeld = 0x1000;            // H
inline constexpr StateFlags kSetNotRead = 0x2000;      // N
inline constexpr StateFlags kBuildRunning = 0x4000;    // B

// One row of the table.
struct OperationRule {
  StateFlags required = 0;
  StateFlags forbidden = 0;
  StateFlags sets = 0;
  StateFlags clears = 0;
  StateFlags clearsOnFailure = 0;
};

OperationRule RuleOf(FileOperation op);

struct OperationCheck {
  enum class Verdict : std::uint8_t { Go, Skip, Fail };
  Verdict verdict = Verdict::Go;
  ErrorCode code = ErrorCode::Ok;  // for Fail
};

// `onDynamicKey`: the operation names a dynamic key; `keyBuilt` says whether
// that key is built (K is checked only then).
OperationCheck CheckOperation(FileOperation op, StateFlags state, bool onDynamicKey = false,
                              bool keyBuilt = true);

// The flags after the operation answered `result`.
StateFlags UpdateAfter(FileOperation op, StateFlags state, ErrorCode result);

}  // namespace zelvo
