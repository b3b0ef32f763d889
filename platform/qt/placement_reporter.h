// PlacementReporter: tells the model where a window is — moved, resized,
// maximized, minimized, restored — as one Placed input once the change has
// settled (a drag moves a window through many places), with the rows each of
// its lists now shows. Where the program placed a window is reported too,
// once the display has carried it out: the model learns the size the window
// really took and the rows its lists show at that size (a window the program
// asked to be smaller than its controls allow is as small as they allow).
//
// The placement reported is the window's normal one (where it returns when
// restored), with its state beside it, as the INI store keeps them.
#pragma once

#include <functional>

#include <QObject>
#include <QRect>

#include "platform/qt/control_widget.h"

class QWidget;

namespace zelvo {

class PlacementReporter final : public QObject {
 public:
  // `rows` answers the visible rows of the window's lists, in id order.
  PlacementReporter(QWidget& window, std::function<std::vector<int>()> rows, ReportInput report);

  // Called from the window's move, resize and state-change events.
  void Changed();
  // Reports now (once the window first shows).
  void ReportNow();
  // The normal placement: the last one seen while the window was neither
  // maximized nor minimized.
  QRect Normal() const { return normal_; }
  int State() const;

 private:
  void Remember();

  QWidget& window_;
  std::function<std::vector<int>()> rows_;
  ReportInput report_;
  QRect normal_;
  bool pending_ = false;
};

}  // namespace zelvo
