#include "storage/view/view.h"

#include <chrono>
#include <cstdio>

#include "storage/error_state.h"
#include "storage/file_operations.h"
#include "storage/trace_log.h"
#include "storage/view/internal/view_state.h"

namespace zelvo {
namespace {

using Op = FileOperation;

void CollectFiles(const std::vector<ViewJoin>& joins, std::vector<ViewFile>& files) {
  for (const ViewJoin& j : joins) {
    files.push_back(j.file);
    CollectFiles(j.joins, files);
  }
}

std::vector<ViewFile> FilesOf(const ViewDeclaration& d) {
  std::vector<ViewFile> files{d.primary};
  CollectFiles(d.joins, files);
  return files;
}

}  // namespace

View::View(ViewDeclaration declaration) : declaration_(std::move(declaration)), files_(FilesOf(declaration_)) {}
View::~View() = default;

ViewState& View::CurrentState() {
  std::unique_ptr<ViewState>& s = states_[TraceThreadNumber()];
  if (!s) s = std::make_unique<ViewState>(declaration_, files_);
  return *s;
}

ErrorCode View::Perform(FileOperation op, const OperationArguments& arguments) {
  OperationAnswer answer;
  return Perform(op, arguments, answer);
}

ErrorCode View::SetFilter(std::string_view text) {
  OperationArguments a;
  a.text = "0x7CB8=" + std::string(text);
  return Perform(Op::SET_PROPERTY, a);
}

ErrorCode View::SetOrder(std::string_view text) {
  OperationArguments a;
  a.text = "0x7CE6=" + std::string(text);
  return Perform(Op::SET_PROPERTY, a);
}

ErrorCode View::Perform(FileOperation op, const OperationArguments& arguments, OperationAnswer& answer) {
  ErrorState& error = RuntimeErrorState();
  ViewState& s = CurrentState();
  // The FILEs' trace lines name the view they work for.
  if (traceDeclaration_.empty()) traceDeclaration_ = DescribeView(declaration_);
  const TraceViewContext context{static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFFFFu),
                                 &traceDeclaration_, &traceDeclarationWritten_};
  const TraceViewContext* outer = TraceView();
  SetTraceView(&context);
  struct Restore {
    const TraceViewContext* outer;
    ~Restore() { SetTraceView(outer); }
  } restore{outer};
  const bool traceOn = s.TraceOn();
  const auto started = traceOn ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
  // CLOSE ends the state: what the trace needs is taken first.
  const std::string traceFile = traceOn ? s.TraceFile() : std::string{};
  ErrorCode code = Dispatch(s, op, arguments, answer);
  // 801 carries the name in the error text already set.
  if (Failed(code) ? error.Code() != code : Failed(error.Code())) error.Set(code);
  if (traceOn) {
    const auto taken = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    const long hundredths = static_cast<long>(taken.count() / 10);
    std::string head = std::string(OperationName(op)) + "(" + std::string(declaration_.label) + " " +
                       std::to_string(TraceThreadNumber()) + ")";
    char padded[256];
    std::snprintf(padded, sizeof padded, "%-18s", head.c_str());
    std::string line = padded;
    if (Failed(code)) line += "Error: " + error.Text() + " ";
    char time[64];
    std::snprintf(time, sizeof time, "Time Taken: %ld.%02ld secs\r\n", hundredths / 100, hundredths % 100);
    line += time;
    AppendToTraceLog(traceFile, line);
  }
  return code;
}

ErrorCode View::Dispatch(ViewState& s, FileOperation op, const OperationArguments& arguments,
                         OperationAnswer& answer) {
  switch (op) {
    case Op::OPEN: return s.Open();
    case Op::CLOSE:
      states_.erase(TraceThreadNumber());  // `s` is gone from here on
      return ErrorCode::Ok;
    case Op::SETview: return s.SetView(arguments.count);
    case Op::RESETviewfile: return s.ResetViewFile();
    case Op::RESETfile: return s.ResetFile(arguments.position);
    case Op::NEXT: return s.Read(true);
    case Op::PREVIOUS: return s.Read(false);
    case Op::SKIP: return s.Skip(arguments.count);
    case Op::POSITIONfile: return s.Position(answer);
    case Op::REGETfile: return s.Reget(arguments.position);
    case Op::RECORDSfile: return s.Records(answer);
    case Op::WATCH: return s.Watch();
    case Op::FLUSH: return s.Flush();
    case Op::DELETE:
    case Op::PUT:
    case Op::HOLDfile:
    case Op::HOLDfilesec:
    case Op::RELEASE: return PerformFileOperation(*declaration_.primary.file, op, arguments, answer);
    case Op::SET_PROPERTY:
    case Op::GET_PROPERTY: return s.Property(op == Op::SET_PROPERTY, arguments.text, answer);
    default: return ErrorCode::UnsupportedFileDriverFunction;
  }
}

}  // namespace zelvo
