// WindowComponent: a part of a window that takes the window's events after
// the window controller's own handling — a browse list, the resizer, a
// toolbar's target. The controller calls the seven operations in this order
// of slots:
//
//     1 Kill            the window is being killed: release everything
//     2 Reset(force)    re-apply what the component shows (force: even when
//                       nothing it depends on changed)
//     3 NeedsRefresh    whether something it depends on changed since its last reset
//     4 ArmHotKeys      register the keys it wants reported (Window::Alert)
//     5 TakeEvent       handle one event; a level other than LevelOk ends the
//                       controller's handling of the event with that level
//     6 UpdateBuffers   copy what the user changed on screen into its record buffers
//     7 Redraw          show its state again after a reset
//
// Used only by the run token's holder.
#pragma once

#include "framework/data/result_level.h"
#include "platform/event.h"

namespace zelvo {

class WindowComponent {
 public:
  virtual ~WindowComponent() = default;

  virtual void Kill() = 0;
  virtual void Reset(bool force) = 0;
  virtual bool NeedsRefresh() = 0;
  virtual void ArmHotKeys() = 0;
  virtual Level TakeEvent(const Event& event) = 0;
  virtual void UpdateBuffers() = 0;
  virtual void Redraw() = 0;
};

}  // namespace zelvo
