#include "storage/operation_state.h"

#include <array>
#include <cstdint>
#include <initializer_list>

namespace zelvo {
namespace {

using Op = FileOperation;

struct Row {
  std::initializer_list<Op> operations;
  OperationRule rule;
};

constexpr StateFlags O = kOpen, C = kCurrentRecord, T = kInTransaction, S = kStreaming,
                     L = kLocked, P = kPositioned, W = kWritable, X = kExclusive, K = kKeyBuilt,
                     w = kWatchArmed, V = kWatched, h = kHoldArmed, H = kHeld, N = kSetNotRead;

// requires, forbids, sets, clears, clears on failure
const Row kRows[] = {
    {{Op::ADD}, {O | W, 0, C, V | H, 0}},
    {{Op::APPEND, Op::DUPLICATE}, {O | W, 0, 0, 0, 0}},
    {{Op::APPENDlen}, {O | W, 0, 0, V | H, 0}},
    {{Op::ADDfilelen}, {O, 0, 0, V | H, 0}},
    {{Op::BOF, Op::Eof}, {O | P, 0, 0, 0, 0}},
    {{Op::BUILDfile, Op::BUILDevent}, {W | X, T, 0, 0, C | P | N}},
    {{Op::BUILDkey}, {W | X, T, 0, 0, 0}},
    {{Op::BUILDdyn, Op::BUILDdynfilter}, {O, T, K, 0, 0}},
    {{Op::CLOSE}, {O, T, 0, O | K, 0}},
    {{Op::COMMIT, Op::ROLLBACK}, {O | T, 0, 0, T, 0}},
    {{Op::COPY, Op::CREATE, Op::REMOVE, Op::RENAME}, {0, O, 0, 0, 0}},
    {{Op::DELETE}, {O | C | W, 0, 0, C, 0}},
    {{Op::EMPTY}, {O | W | X, T, 0, 0, 0}},
    {{Op::GETfilekey, Op::GETkeyptr}, {O | K, 0, C, w | h, C}},
    {{Op::GETfileptr, Op::GETfileptrlen}, {O, 0, C, w | h, C}},
    {{Op::HOLDfile, Op::HOLDfilesec}, {O, 0, h, 0, 0}},
    {{Op::LOCKfile, Op::LOCKfilesec}, {O, L, L | X, 0, 0}},
    {{Op::LOGOUT}, {O, T, T, 0, 0}},
    {{Op::NEXT, Op::PREVIOUS}, {O | P, 0, C, w | h, C | P | N}},
    {{Op::OPEN, Op::SHARE}, {0, O, O, 0, 0}},
    {{Op::PACK}, {W | X, T, 0, C | P, C | P | N}},
    {{Op::POINTERfile, Op::POSITIONfile, Op::BLOB_SIZE, Op::GETNULLS}, {O | C, 0, 0, 0, 0}},
    {{Op::POINTERkey, Op::POSITIONkey}, {O | C | K, 0, 0, 0, 0}},
    {{Op::FLUSH}, {O, 0, 0, S, 0}},
    {{Op::PUT}, {O | C | W, 0, 0, V | H, 0}},
    {{Op::PUTfileptr, Op::PUTfileptrlen}, {O | W, 0, 0, V | H, C}},
    {{Op::RECORDSfile, Op::BYTES, Op::NOMEMO, Op::Null, Op::SETNULL, Op::SETNONULL, Op::SETNULLS,
      Op::BLOB_YIELD, Op::BLOB_TAKE, Op::BLOB_GET_PROP, Op::BLOB_SET_PROP, Op::BUFFER,
      Op::COUNTRECORDS},
     {O, 0, 0, 0, 0}},
    {{Op::RECORDSkey, Op::DUPLICATEkey, Op::QUERY_KEY}, {O | K, 0, 0, 0, 0}},
    {{Op::REGETfile}, {O, 0, C, w | h, 0}},
    {{Op::REGETkey}, {O | K, 0, C, w | h, 0}},
    {{Op::RELEASE}, {O, 0, 0, H, 0}},
    {{Op::SETfile, Op::SETfileptr, Op::RESETfile, Op::RESETviewfile}, {O, 0, P | N, 0, P | N}},
    {{Op::SETfilekey, Op::SETkey, Op::SETkeykey, Op::SETkeyptr, Op::SETkeykeyptr, Op::RESETkey},
     {O | K, 0, P | N, 0, P | N}},
    {{Op::SETview}, {O, 0, P, 0, P}},
    {{Op::SKIP}, {O | P, 0, 0, C, C | P | N}},
    {{Op::STREAM}, {O, S, S, 0, 0}},
    {{Op::UNLOCK}, {O | L, T, 0, L, 0}},
    {{Op::WATCH}, {O, 0, w, 0, 0}},
    {{Op::INVIEW}, {O, K, K, 0, 0}},
    {{Op::ENDVIEW}, {O, 0, 0, K, 0}},
};

bool RunsDuringBuild(Op op) {
  return op == Op::CLOSE || op == Op::NAME || op == Op::GET_PROPERTY || op == Op::BUILDevent ||
         op == Op::GETPROPERTYkey;
}

OperationCheck Fail(ErrorCode code) { return {OperationCheck::Verdict::Fail, code}; }
constexpr OperationCheck kGo{OperationCheck::Verdict::Go, ErrorCode::Ok};
constexpr OperationCheck kSkip{OperationCheck::Verdict::Skip, ErrorCode::Ok};

}  // namespace

OperationRule RuleOf(FileOperation op) {
  // Every operation asks for its rule, twice: the table by operation is made once.
  static const auto byOperation = [] {
    std::array<OperationRule, 256> rules{};
    for (const Row& row : kRows)
      for (Op listed : row.operations) rules[static_cast<std::uint8_t>(listed)] = row.rule;
    return rules;
  }();
  return byOperation[static_cast<std::uint8_t>(op)];
}

OperationCheck CheckOperation(FileOperation op, StateFlags state, bool onDynamicKey,
                              bool keyBuilt) {
  const OperationRule rule = RuleOf(op);
  StateFlags missing = rule.required & ~state;
  // K is a property of a dynamic key; on any other key it is always there.
  missing &= static_cast<StateFlags>(~K);
  if ((rule.required & K) && onDynamicKey && !keyBuilt) missing |= K;

  if (missing == 0) {
    if ((state & kBuildRunning) && !RunsDuringBuild(op)) return Fail(ErrorCode::BuildInProgress);
    const StateFlags forbidden = rule.forbidden & state;
    if (forbidden & O) return Fail(ErrorCode::FileAlreadyOpen);
    if (forbidden & T) return Fail(ErrorCode::LogoutAlreadyActive);
    return forbidden ? kSkip : kGo;
  }
  if (missing & O) return Fail(ErrorCode::FileNotOpen);
  if (missing & K) return Fail(ErrorCode::KeyFileMustBeRebuilt);
  // BUILD and PACK do not require O: a closed FILE goes ahead and its driver
  // answers for itself.
  if (!(state & O)) return kGo;
  if (missing & (C | P)) return Fail(ErrorCode::RecordNotAvailable);
  if (missing & X) return Fail(ErrorCode::ExclusiveAccessRequired);
  if (missing & W) return Fail(ErrorCode::AccessDenied);
  return kSkip;
}

StateFlags UpdateAfter(FileOperation op, StateFlags state, ErrorCode result) {
  const OperationRule rule = RuleOf(op);
  if (result == ErrorCode::Ok) {
    if (op == Op::CLOSE) return 0;
    // An armed watch or hold becomes a watched or held record with the read
    // that clears the armed flag.
    if ((rule.clears & w) && (state & w)) state |= V;
    if ((rule.clears & h) && (state & h)) state |= H;
    state = static_cast<StateFlags>((state | rule.sets) & ~rule.clears);
    return state;
  }
  StateFlags cleared = rule.clearsOnFailure | w | V;
  // A read refused because its record is held elsewhere keeps its position.
  if (result == ErrorCode::RecordIsAlreadyHeld) cleared &= static_cast<StateFlags>(~P);
  return static_cast<StateFlags>(state & ~cleared);
}

}  // namespace zelvo
