#include "platform/qt/placement_reporter.h"

#include <QTimer>
#include <QWidget>

namespace zelvo {

PlacementReporter::PlacementReporter(QWidget& window, std::function<std::vector<int>()> rows, ReportInput report)
    : QObject(&window), window_(window), rows_(std::move(rows)), report_(std::move(report)) {}

int PlacementReporter::State() const {
  if (window_.isMinimized()) return 2;
  if (window_.isMaximized()) return 1;
  return 0;
}

void PlacementReporter::Remember() {
  if (State() == 0) normal_ = window_.geometry();
}

void PlacementReporter::Changed() {
  Remember();
  if (pending_ || !window_.isVisible()) return;
  pending_ = true;
  QTimer::singleShot(0, this, [this] { ReportNow(); });
}

void PlacementReporter::ReportNow() {
  pending_ = false;
  Remember();
  UserInput input;
  input.kind = UserInput::Kind::Placed;
  input.x = normal_.x();
  input.y = normal_.y();
  input.width = normal_.width();
  input.height = normal_.height();
  input.state = State();
  input.visibleRows = rows_();
  report_(std::move(input));
}

}  // namespace zelvo
