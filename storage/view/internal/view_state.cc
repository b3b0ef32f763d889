#include "storage/view/internal/view_state.h"

#include "runtime/locale.h"
#include "storage/trace_log.h"
#include "storage/view/internal/view_scope.h"

namespace zelvo {

CapturedValue CapturedValue::Of(const FilterExpression& e) {
  CapturedValue c;
  c.valueClass = e.Class();
  c.integer = e.Integer();
  c.real = e.Real();
  c.text = std::string(e.Text());
  return c;
}

CapturedValue CapturedValue::OfText(std::string_view text) {
  CapturedValue c;
  c.text = std::string(text);
  c.real = TextToReal(text);
  c.integer = RealToInteger(c.real);
  return c;
}

int CapturedValue::CompareWith(const FilterExpression& e, bool ignoreCase) const {
  if (e.Class() == ValueClass::Integer && valueClass == ValueClass::Integer) {
    const std::int32_t x = e.Integer();
    return x < integer ? -1 : x > integer ? 1 : 0;
  }
  if (e.Class() != ValueClass::String || valueClass != ValueClass::String) {
    const double x = e.Real();
    if (RealsEqual(x, real)) return 0;
    return x < real ? -1 : 1;
  }
  if (ignoreCase) return CompareTexts(Locale().ToUpper(e.Text()), Locale().ToUpper(text));
  return CompareTexts(e.Text(), text);
}

ViewState::ViewState(const ViewDeclaration& declaration, const std::vector<ViewFile>& files)
    : declaration_(declaration),
      files_(files),
      filterText_(declaration.filter),
      orderText_(declaration.order),
      order_(CompileOrder(orderText_)),
      orderGiven_(!order_.empty()) {
  const WindowsProfile& profile = TraceProfile();
  traceOn_ = profile.GetInt("ZRVIEW", "Profile", 0) != 0;
  traceFile_ = profile.GetString("ZRVIEW", "TraceFile", "VIEW.LOG");
  flags_ = static_cast<std::uint8_t>(profile.GetInt("ZRVIEW", "TraceIntoFiles", 0));
}

ViewState::~ViewState() = default;

std::vector<OrderComponent> ViewState::CompileOrder(std::string_view text) const {
  ViewScope scope(files_);
  return zelvo::CompileOrder(text, scope.Bindings(), declaration_.primary.prefix,
                             declaration_.primary.file->Record().Layout());
}

ErrorCode ViewState::MakePlan() {
  return ViewPlan::Make(declaration_, files_, filterText_, orderGiven_ ? &order_ : nullptr, plan_);
}

}  // namespace zelvo
