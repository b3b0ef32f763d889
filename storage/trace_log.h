// The drivers' trace log. A driver reads its switches from its section of the
// Windows profile, "ZR" and the driver's trace name ("ZRQUILLSET",
// "ZRdBase4", "ZRASCII"), the first time it meets a FILE:
//
//     Profile    non-zero: trace every operation on the FILE          0
//     TraceFile  the log's path                   "QUILLSET.LOG", "dBase4.LOG", "ASCII.LOG"
//     Details    non-zero: write record contents too                  0
//                (a FILE with ENCRYPT: only when its options hold the word ALLOWDETAILS)
//
// Each traced operation appends one line at the current end of the log, so
// several FILEs, and several processes, may share a log:
//     "NEXT(NDFL 1)" left-justified in 18 characters, then on error 90
//     "File Error: <file error text> ", on another error "Error: <text> ", then
//     "Time Taken: 0.00 secs" and CR LF.
// Keyed operations name the key after the file: "GETfilekey(BASA,NUM_KEY[1] 1)".
// With Details on, the FILE's declaration is written the first time it
// occurs, and the record buffer after every record-transferring operation,
// one field per line: "  SUMM              : 1234.50".
//
// The profile is read through runtime/windows_profile.h from its usual path,
// once; tests set their own with SetTraceProfile. The thread number is the
// runtime's procedure-thread number, set by the thread layer (1 until then).
// Used only by the run token's holder.
#pragma once

#include <string>
#include <string_view>

#include "runtime/windows_profile.h"
#include "storage/driver_kind.h"
#include "storage/error_state.h"
#include "storage/file.h"
#include "storage/file_operation.h"

namespace zelvo {

// "QUILLSET", "dBase4", "ASCII": the section is "ZR" + this, the log this + ".LOG".
std::string_view TraceName(Driver driver);

TraceSettings ReadTraceSettings(const WindowsProfile& profile, const FileDeclaration& file);

// The profile the trace switches come from; nullptr restores the user's own.
const WindowsProfile& TraceProfile();
void SetTraceProfile(const WindowsProfile* profile);

void SetTraceThreadNumber(int number);
int TraceThreadNumber();

// The text of one trace line for an operation that took `hundredths`.
std::string TraceLine(FileOperation op, const File& file, std::size_t key, int thread,
                      const ErrorState& state, long hundredths);
// The declaration dump written before a FILE's first line with Details on.
std::string TraceDeclaration(const File& file);
// One line per field of the record buffer.
std::string TraceRecord(const RecordBuffer& record);
// Whether the operation moves a record between file and buffer.
bool TransfersRecord(FileOperation op);

// While a view performs a statement, the lines its FILEs' drivers trace begin
// with "VIEW:<the view's identifier in hexadecimal>:"; with a driver's Details
// on, the first such line of a view is preceded by the view's declaration.
struct TraceViewContext {
  unsigned long id = 0;
  const std::string* declaration = nullptr;
  bool* declarationWritten = nullptr;
};
// The view on whose behalf operations run now (null: none); the caller keeps
// the context alive while it is set.
void SetTraceView(const TraceViewContext* view);
const TraceViewContext* TraceView();

// Appends to the end of the log; a log that cannot be written is skipped
// (tracing never makes an operation fail).
void AppendToTraceLog(const std::string& path, std::string_view text);

}  // namespace zelvo
