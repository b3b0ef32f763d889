// PlacementReporter: tells the model where the user put a window — moved,
// resized, maximized, minimized, restored — as one Placed input once the
// change has settled (a drag moves a window through many places), with the
// rows each of its lists now shows. What the program placed itself is not
// reported: the display applies it inside a Quiet scope.
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
  // Reports now, whatever changed (after the window first shows).
  void ReportNow();
  // The normal placement: the last one seen while the window was neither
  // maximized nor minimized.
  QRect Normal() const { return normal_; }
  int State() const;

  class Quiet {
   public:
    explicit Quiet(PlacementReporter& reporter) : reporter_(reporter) { ++reporter_.quiet_; }
    ~Quiet() { --reporter_.quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    PlacementReporter& reporter_;
  };

 private:
  void Remember();

  QWidget& window_;
  std::function<std::vector<int>()> rows_;
  ReportInput report_;
  QRect normal_;
  int quiet_ = 0;
  bool pending_ = false;
};

}  // namespace zelvo
