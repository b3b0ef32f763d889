#include "core/pay_values.h"

namespace zelvo {

RecordBuffer& PayValues() {
  static RecordBuffer values(kPayValuesFields);
  return values;
}

PayGlobals PayGlobals::Program() { return PayGlobals{ProgramVariables(), PayValues()}; }

}  // namespace zelvo
