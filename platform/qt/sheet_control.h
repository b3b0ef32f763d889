// SheetControl and TabControl: a set of tabs, each a page of controls. A tab
// clicked reports ChooseTab and the sheet shows the tab the model chooses.
#pragma once

#include "platform/qt/control_widget.h"

class QTabWidget;

namespace zelvo {

class TabControl;

class SheetControl final : public ControlWidget {
 public:
  SheetControl(const ControlDefinition& definition, ReportInput report);

  QWidget* Widget() const override;
  QWidget* FocusTarget() const override;
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

  // Called by the builder for each tab, in definition order; answers its index.
  int AddTab(QWidget* page, const QString& text);
  QTabWidget* Tabs() const { return tabs_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QTabWidget* tabs_;
};

class TabControl final : public ControlWidget {
 public:
  // Makes the tab's page and adds it to `sheet`.
  TabControl(const ControlDefinition& definition, ReportInput report, SheetControl& sheet);

  QWidget* Widget() const override;  // the page
  void Apply(const ControlState& state) override;
  void Read(ControlView& view) const override;

 private:
  QWidget* page_;
  SheetControl& sheet_;
  int index_;
};

}  // namespace zelvo
