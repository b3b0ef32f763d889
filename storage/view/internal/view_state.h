// ViewState: what one procedure thread's use of a view keeps from one
// statement to the next (storage/view/view.h, "State"), and the view's
// statements, one function each. View::Perform finds the thread's state and
// calls the statement; CLOSE, which ends the state, is View's own.
//
// Positioning is pending between a SETview or RESET... and the read that
// carries it out: SETview starts at the beginning, or at the first row whose
// captured order values are not below the ones SETview took; a reset starts
// at a row's position (after it, for the reset FLUSH leaves behind).
//
// Used only by the run token's holder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/error_code.h"
#include "storage/file_driver.h"
#include "storage/filter/filter_expression.h"
#include "storage/view/internal/view_order.h"
#include "storage/view/internal/view_plan.h"
#include "storage/view/view_declaration.h"

namespace zelvo {

// A value captured from an order component, compared as filters compare.
struct CapturedValue {
  ValueClass valueClass = ValueClass::String;
  std::int32_t integer = 0;
  double real = 0.0;
  std::string text;

  static CapturedValue Of(const FilterExpression& e);
  static CapturedValue OfText(std::string_view text);
  // -1, 0, 1: the expression's current value against this one; with
  // `ignoreCase`, texts compare upper-cased, as a NOCASE key orders them.
  int CompareWith(const FilterExpression& e, bool ignoreCase) const;
};

class ViewState {
 public:
  // A fresh state: the declaration's filter and order installed, the trace
  // settings read from the profile's section "ZRVIEW".
  ViewState(const ViewDeclaration& declaration, const std::vector<ViewFile>& files);
  ~ViewState();

  ErrorCode Open();
  ErrorCode SetView(std::int64_t count);
  ErrorCode ResetViewFile();
  ErrorCode ResetFile(std::string_view position);
  ErrorCode Read(bool forward);  // NEXT, PREVIOUS
  ErrorCode Skip(std::int64_t count);
  ErrorCode Position(OperationAnswer& answer) const;  // POSITIONfile
  ErrorCode Reget(std::string_view position);
  ErrorCode Records(OperationAnswer& answer);
  ErrorCode Watch();
  ErrorCode Flush();
  // GET_PROPERTY and SET_PROPERTY (`set`): the property table of view.h.
  ErrorCode Property(bool set, std::string_view text, OperationAnswer& answer);

  // The trace settings.
  bool TraceOn() const { return traceOn_; }
  const std::string& TraceFile() const { return traceFile_; }

 private:
  enum class Pending : std::uint8_t { None, Start, Reset };

  ErrorCode MakePlan();
  // One row in the direction, carrying out pending positioning; SKIP steps
  // with it too, leaving the current row as it was for POSITIONfile.
  ErrorCode ReadRow(bool forward);
  // Whether the row read stands before the captured values in the direction.
  bool BeforeCaptured(bool forward) const;
  // Whether order component `i` is a field of the walked key and that key
  // ignores case: its rows then come in the upper-cased order.
  bool WalkedWithoutCase(std::size_t i) const;
  // A record holding the captured values in the walked key's leading
  // components and the lowest values after them, where a forward read can
  // start in the key rather than at its start. None when the key does not
  // carry the captured components in the order's directions, or a component
  // after them runs downwards (its lowest value would come last).
  std::optional<RecordBuffer> SeekProbe() const;
  std::vector<OrderComponent> CompileOrder(std::string_view text) const;

  const ViewDeclaration& declaration_;
  const std::vector<ViewFile>& files_;
  std::string filterText_;
  std::string orderText_;
  std::vector<OrderComponent> order_;
  bool orderGiven_ = false;
  std::unique_ptr<ViewPlan> plan_;
  Pending pending_ = Pending::None;
  std::vector<std::optional<CapturedValue>> captured_;  // by order component
  std::size_t capturedCount_ = 0;
  std::string resetPosition_;
  bool skipResetRow_ = false;  // FLUSH: go on after the row at the position
  bool positioned_ = false;
  bool hasRow_ = false;
  bool watch_ = false;
  bool traceOn_ = false;
  std::string traceFile_ = "VIEW.LOG";
  std::uint8_t flags_ = 0;
};

}  // namespace zelvo
