// View: the view engine for one declared VIEW. It takes view statements as
// the file operations (storage/file_operation.h) with the VIEW in place of a
// FILE, and performs them with ordinary file operations on the view's FILEs;
// its rows are the FILEs' record buffers, filled as if the program had read
// the records itself.
//
// State. One view state per procedure thread (the trace's thread number),
// made at the first statement and kept until CLOSE: the filter (text and
// compiled), the order (text and components; setting it makes the order
// "given"), the plan, the pending positioning, the captured order values, the
// watch flag and the trace settings (profile section "ZRVIEW": Profile,
// TraceFile "VIEW.LOG", TraceIntoFiles).
// The declaration's filter and order are installed when the state is made; a
// declared order counts as given.
//
// Plan, made at the first read after OPEN, FLUSH or a change of filter or
// order:
//   - the primary scan: with a given order, the key that delivers the longest
//     run of its components (storage/view/internal/view_order.h), walked backwards when its
//     first component runs the other way; without one, the key the FILE is set
//     to, else record order;
//   - when the order is not delivered whole, every row is read first and
//     sorted through a SortStore (16384 bytes in memory, then a temporary file);
//     the sorted rows are then delivered by re-reading their records;
//   - joins in declaration order, nested ones after their FILE: by key, the
//     records whose leading key components equal the linking fields (both
//     sides upper-cased on a NOCASE key); by expression, every record of the
//     FILE for which it is true. INNER joins drop rows without a match; other
//     joins deliver such a row once with the secondary buffer cleared;
//   - the filter, compiled with every FILE's fields bound under its prefix over
//     the thread's bindings: a row for which it is false is skipped. A filter
//     that does not compile (or leaves text it could not read) fails the read
//     that planned with 800 or 801 (the name appended to the error text).
//
// Positioning. SETview(n) (OperationArguments::count = n) starts at the
// beginning, or at the first row whose first n order components are not below
// the values the record buffers hold now; RESETviewfile starts at the primary
// FILE's current record; RESETfile(position) at a row's position, or its
// successor when that row is gone. Without these, a view without a given order
// whose primary FILE the program has just set (N) continues from it; any other
// unpositioned read answers 33. A scan plan keeps no position of its own: each
// step asks the primary FILE's driver, so reading the FILE elsewhere moves the
// view. Changing direction delivers the current row's neighbour.
//
// Positions: for each FILE of the row, in view order, 2 bytes of length
// (little-endian) and the FILE's position (POSITIONkey when walked by key,
// POSITIONfile otherwise); an outer join first gives 1 (a record follows) or
// 2 (delivered without one). A position that ends inside a part it announces
// answers 81.
//
// Other statements: SKIP(count) steps over rows; RECORDSfile answers the rows
// of a sorted plan, else the primary FILE's records; WATCH arms WATCH on the
// primary FILE at the next read; FLUSH discards the plan, the next read going
// on after the current row; DELETE, PUT, HOLDfile, HOLDfilesec and RELEASE go to
// the primary FILE; anything else answers 80.
//
// Properties (GET_PROPERTY, SET_PROPERTY): OperationArguments::text is the
// number, in decimal or 0x hex, an index "[i]" (1-based) where the property
// takes one, and "=value" when setting: "0x7CB8=NBA:NUM=5", "0x7345[1]".
//     0x7CB8 filter text   0x7CE6 order text   0x7345[i] positioning value i
//     0x7327 flag byte     0x7325 FILE count   0x7326[i] i-th FILE's name
//     0x7312 fields read   0x731F[i] field i as PREFIX:NAME   0x734A[i] its NAME
// Numbers are answered as decimal text.
//
// Every statement answers a runtime error code and leaves it in the runtime
// error state. Used only by the run token's holder.
//
// Inside (storage/view/internal): view_state.h the per-thread state and one
// function per statement (view_reading.cc, view_properties.cc); view_plan.h
// the plan (view_plan.cc, its joins in view_plan_joins.cc); view_order.h the
// order texts and the key choice.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "storage/error_code.h"
#include "storage/file_driver.h"
#include "storage/file_operation.h"
#include "storage/view/view_declaration.h"

namespace zelvo {

class ViewState;  // storage/view/internal/view_state.h

class View {
 public:
  explicit View(ViewDeclaration declaration);
  ~View();
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  const ViewDeclaration& Declaration() const { return declaration_; }

  ErrorCode Perform(FileOperation op, const OperationArguments& arguments, OperationAnswer& answer);
  ErrorCode Perform(FileOperation op, const OperationArguments& arguments = {});

  // Conveniences over Perform.
  ErrorCode SetFilter(std::string_view text);
  ErrorCode SetOrder(std::string_view text);


 private:
  ViewState& CurrentState();
  ErrorCode Dispatch(ViewState& s, FileOperation op, const OperationArguments& arguments, OperationAnswer& answer);

  ViewDeclaration declaration_;
  std::vector<ViewFile> files_;  // the primary, then the joins' FILEs in declaration order
  std::map<int, std::unique_ptr<ViewState>> states_;  // per thread
  std::string traceDeclaration_;  // DescribeView, for the drivers' trace
  bool traceDeclarationWritten_ = false;
};

}  // namespace zelvo
