// FormBuilder: makes the controls of a window definition and lays them out,
// with no coordinates from the definition:
//   - a prompt and the entry or spin box it names form one row of a form
//     layout, so prompts line up in one column and entries in the next; check
//     boxes and entries without a prompt join the same form, in the entry
//     column; a radio group is a row too, its caption as the prompt;
//   - consecutive buttons stand in one row, to the right;
//   - a list takes the whole width (its prompt above it) and the height the
//     window gains; groups are framed boxes, a sheet a tab
//     widget whose pages are laid out by the same rules;
//   - menus are the frame's menu bar, not laid out here.
// Controls made while the window runs (in-place editors) are made with Make
// and placed by FormView.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "platform/qt/control_widget.h"

class QVBoxLayout;

namespace zelvo {

using Controls = std::map<ControlId, std::unique_ptr<ControlWidget>>;

class FormBuilder {
 public:
  FormBuilder(const std::vector<ControlDefinition>& definitions, ReportInput report, Controls& controls);

  // Lays out the controls at the top of the definition into `host`.
  void Build(QWidget& host);

  // One control of the kinds a running window may create (or any kind with
  // no parent to join); null for the frame's menus.
  static std::unique_ptr<ControlWidget> Make(const ControlDefinition& definition, ReportInput report);

 private:
  // The layout of `parent`'s children; `grows` when it holds a list, which
  // takes the height the window gains.
  QVBoxLayout* LayOut(ControlId parent, bool& grows);
  ControlWidget& Add(std::unique_ptr<ControlWidget> control);
  ControlWidget& Add(const ControlDefinition& definition);
  std::vector<const ControlDefinition*> Children(ControlId parent) const;

  const std::vector<ControlDefinition>& definitions_;
  ReportInput report_;
  Controls& controls_;
};

}  // namespace zelvo
