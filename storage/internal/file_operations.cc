#include "storage/file_operations.h"

#include <chrono>
#include <cstdio>

#include "storage/driver_result.h"
#include "storage/error_state.h"
#include "storage/retry_wait.h"
#include "storage/trace_log.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using SteadyClock = std::chrono::steady_clock;

bool TakesSavedPosition(Op op) {
  return op == Op::RESETfile || op == Op::RESETkey || op == Op::REGETfile || op == Op::REGETkey;
}

bool IsBlank(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

// One driver call, with the runtime's repetition of a refused whole-file
// lock: LOCKfile until it is granted, LOCKfilesec for its seconds.
ErrorCode CallDriver(FileDriver& driver, Op op, File& file, const OperationArguments& arguments,
                     OperationAnswer& answer) {
  const bool locking = op == Op::LOCKfile || op == Op::LOCKfilesec;
  if (!locking) return driver.Perform(op, file, arguments, answer);
  const WaitLimit limit = op == Op::LOCKfile ? kNoWaitLimit : WaitLimit(std::chrono::seconds(arguments.seconds));
  ErrorCode code = ErrorCode::Ok;
  (void)RetryUntil(limit, std::chrono::milliseconds(50), [&] {
    code = driver.Perform(op, file, arguments, answer);
    return code != ErrorCode::FileIsAlreadyLocked;
  });
  return code;
}

void Trace(File& file, Op op, std::size_t key, const ErrorState& state, long hundredths) {
  const TraceSettings& settings = *file.Trace();
  if (!settings.enabled) return;
  std::string text;
  if (settings.details && !file.traceDeclarationWritten) {
    text += TraceDeclaration(file);
    file.traceDeclarationWritten = true;
  }
  if (const TraceViewContext* view = TraceView()) {
    if (settings.details && view->declarationWritten && !*view->declarationWritten) {
      text += *view->declaration + "\r\n";
      *view->declarationWritten = true;
    }
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "VIEW:%lX:", view->id);
    text += prefix;
  }
  text += TraceLine(op, file, key, TraceThreadNumber(), state, hundredths);
  if (settings.details && !Failed(state.Code()) && TransfersRecord(op))
    text += TraceRecord(file.Record());
  AppendToTraceLog(settings.traceFile, text);
}

}  // namespace

ErrorCode FileOperationRunner::Run(File& file, FileOperation op,
                                   const OperationArguments& arguments, OperationAnswer& answer) {
  ErrorState& state = RuntimeErrorState();
  if (!file.trace_) file.trace_ = ReadTraceSettings(TraceProfile(), file.Declaration());
  // The clock is read only for a trace, which gives each operation's time.
  const bool timed = file.trace_->enabled;
  const auto started = timed ? SteadyClock::now() : SteadyClock::time_point{};
  auto finish = [&](ErrorCode code) {
    if (!timed) return code;
    const auto taken = std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - started);
    Trace(file, op, arguments.key, state, static_cast<long>(taken.count() / 10));
    return code;
  };
  auto refuse = [&](ErrorCode code) {
    state.Set(code);
    file.state_ = UpdateAfter(op, file.state_, code);
    return finish(code);
  };

  FileDriver* driver = FindFileDriver(file.Declaration().driver);
  if (!driver || !driver->Implements(op)) {
    state.Set(ErrorCode::UnsupportedFileDriverFunction);
    return finish(ErrorCode::UnsupportedFileDriverFunction);
  }
  const std::optional<bool> dynamicKey =
      arguments.key != 0 ? driver->DynamicKeyBuilt(file, arguments.key) : std::nullopt;
  const OperationCheck check = CheckOperation(op, file.state_, dynamicKey.has_value(), dynamicKey.value_or(true));
  if (check.verdict == OperationCheck::Verdict::Fail) return refuse(check.code);
  if (check.verdict == OperationCheck::Verdict::Skip) {
    state.Clear();
    return finish(ErrorCode::Ok);
  }
  if (TakesSavedPosition(op) && IsBlank(arguments.position)) return refuse(ErrorCode::RecordNotFound);

  if (op == Op::OPEN || op == Op::SHARE) {
    const AccessMode mode =
        op == Op::SHARE ? AccessMode::Of(arguments.mode.AccessPart(), Sharing::DenyNone) : arguments.mode;
    if (!mode.IsValid()) return refuse(ErrorCode::AccessDenied);
    file.mode_ = mode;
  }

  answer.fileErrorText.clear();
  answer.restoredFlags.reset();
  // A build with progress events runs in state B: what its events do to the
  // FILE meanwhile is refused (92), but for closing it and reading properties.
  const bool withEvents =
      arguments.progress && (op == Op::BUILDfile || op == Op::BUILDkey || op == Op::PACK);
  if (withEvents) file.state_ |= kBuildRunning;
  const ErrorCode raw = CallDriver(*driver, op, file, arguments, answer);
  if (withEvents) file.state_ &= static_cast<StateFlags>(~kBuildRunning);
  ErrorCode code = TakeDriverResult(raw, file.Name(), file.extendedErrors, state);
  if (raw == ErrorCode::FileSystemError && !answer.fileErrorText.empty())
    state.SetFileError("", answer.fileErrorText);

  StateFlags flags = UpdateAfter(op, file.state_, code);
  if (code == ErrorCode::Ok && (op == Op::OPEN || op == Op::SHARE)) {
    if (file.mode_.AllowsWriting()) flags |= kWritable;
    if (file.mode_.IsExclusive()) flags |= kExclusive;
  }
  // Unlocking ends the exclusivity the lock gave, not the one the mode gives.
  if (code == ErrorCode::Ok && op == Op::UNLOCK && !file.mode_.IsExclusive())
    flags &= static_cast<StateFlags>(~kExclusive);
  if (code == ErrorCode::Ok && answer.restoredFlags) flags = *answer.restoredFlags;
  if (code == ErrorCode::Ok) {
    if (op == Op::SETkey || op == Op::SETkeykey || op == Op::SETkeyptr || op == Op::SETkeykeyptr ||
        op == Op::SETfilekey || op == Op::RESETkey)
      file.orderKey_ = arguments.key;
    else if (op == Op::SETfile || op == Op::SETfileptr || op == Op::RESETfile)
      file.orderKey_ = 0;
  }
  // A dynamic key's K is kept on the key by its driver; on the FILE, K means
  // inside INVIEW.
  if (op == Op::BUILDdyn || op == Op::BUILDdynfilter)
    flags = static_cast<StateFlags>((flags & ~kKeyBuilt) | (file.state_ & kKeyBuilt));
  file.state_ = flags;
  return finish(code);
}

ErrorCode PerformFileOperation(File& file, FileOperation op, const OperationArguments& arguments,
                               OperationAnswer& answer) {
  return FileOperationRunner::Run(file, op, arguments, answer);
}

ErrorCode PerformFileOperation(File& file, FileOperation op, const OperationArguments& arguments) {
  OperationAnswer answer;
  return FileOperationRunner::Run(file, op, arguments, answer);
}

}  // namespace zelvo
