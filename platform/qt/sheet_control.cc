#include "platform/qt/sheet_control.h"

#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>

#include "platform/qt/qt_text.h"

namespace zelvo {

SheetControl::SheetControl(const ControlDefinition& definition, ReportInput report)
    : ControlWidget(definition, std::move(report)), tabs_(new QTabWidget) {
  tabs_->tabBar()->installEventFilter(this);
  Claim(tabs_);
}

QWidget* SheetControl::Widget() const { return tabs_; }
QWidget* SheetControl::FocusTarget() const { return tabs_->tabBar(); }

int SheetControl::AddTab(QWidget* page, const QString& text) { return tabs_->addTab(page, text); }

void SheetControl::Apply(const ControlState& state) {
  ControlWidget::Apply(state);
  if (state.chosen >= 1 && state.chosen <= tabs_->count() && tabs_->currentIndex() != state.chosen - 1)
    tabs_->setCurrentIndex(state.chosen - 1);
}

void SheetControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  view.shown = ToUtf8(WithoutMnemonic(tabs_->tabText(tabs_->currentIndex())));
}

bool SheetControl::eventFilter(QObject*, QEvent* event) {
  if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick) return false;
  const auto* mouse = static_cast<QMouseEvent*>(event);
  const int index = tabs_->tabBar()->tabAt(mouse->position().toPoint());
  if (index >= 0 && mouse->button() == Qt::LeftButton && event->type() == QEvent::MouseButtonPress) {
    UserInput input;
    input.kind = UserInput::Kind::ChooseTab;
    input.value = index + 1;
    Report(input);
  }
  return true;  // the model chooses the tab
}

TabControl::TabControl(const ControlDefinition& definition, ReportInput report, SheetControl& sheet)
    : ControlWidget(definition, std::move(report)), page_(new QWidget), sheet_(sheet) {
  index_ = sheet.AddTab(page_, ToQString(definition.text));
  Claim(page_);
}

QWidget* TabControl::Widget() const { return page_; }

void TabControl::Apply(const ControlState& state) {
  Remember(state);
  QTabWidget& tabs = *sheet_.Tabs();
  const QString text = ToQString(state.text);
  if (tabs.tabText(index_) != text) tabs.setTabText(index_, text);
  if (tabs.isTabEnabled(index_) != state.enabled) tabs.setTabEnabled(index_, state.enabled);
  if (tabs.isTabVisible(index_) != state.visible) tabs.setTabVisible(index_, state.visible);
}

void TabControl::Read(ControlView& view) const {
  ControlWidget::Read(view);
  const QTabWidget& tabs = *sheet_.Tabs();
  view.text = ToUtf8(tabs.tabText(index_));
  view.shown = ToUtf8(WithoutMnemonic(tabs.tabText(index_)));
  view.enabled = tabs.isTabEnabled(index_);
  view.visible = tabs.isTabVisible(index_);
}

}  // namespace zelvo
