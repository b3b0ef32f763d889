// PagesControl: the page display of a report preview — the pages the model's
// PageDisplay names, drawn by PaintPage on white sheets in a scroll area,
// `across` side by side and `down` one above the other, the current page
// framed. Takes no input of its own: the preview's buttons and entries move it.
#pragma once

#include "platform/qt/control_widget.h"

class QScrollArea;

namespace zelvo {

class PageSheets;

class PagesControl final : public ControlWidget {
 public:
  PagesControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

 private:
  QScrollArea* area_;
  PageSheets* sheets_;
};

}  // namespace zelvo
