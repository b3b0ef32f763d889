// ViewScope: while it lives, every FILE of a view is bound under its prefix
// ("NBA" for NBA:DATA) over the thread's bindings, so that the view's filter,
// order and join conditions compile and evaluate against the FILEs' record
// buffers as they are. Scopes nest; each one ends with the statement that
// made it. Used only by the run token's holder.
#pragma once

#include <vector>

#include "storage/filter/filter_bindings.h"
#include "storage/view/view_declaration.h"

namespace zelvo {

class ViewScope {
 public:
  explicit ViewScope(const std::vector<ViewFile>& files) : bindings_(CurrentBindings()) {
    bindings_.Push();
    for (const ViewFile& f : files) bindings_.BindRecord(f.prefix, f.file->Record());
  }
  ~ViewScope() { (void)bindings_.Pop(); }
  ViewScope(const ViewScope&) = delete;
  ViewScope& operator=(const ViewScope&) = delete;

  const FilterBindings& Bindings() const { return bindings_; }

 private:
  FilterBindings& bindings_;
};

}  // namespace zelvo
