// Toolbar: a window's navigation buttons and the targets they act on — the
// form itself, or one of the window's browse lists. The toolbar keeps its
// targets in the order they were added and routes every button to the
// active one; the window controller makes a list's target active when the
// user selects in that list (AUTOTOOLBAR).
//
//     3001 Insert        "Insert a new Record"
//     3005 LastPage      "Go to the Last Page"       3006 FirstPage   "Go to the First Page"
//     3007 NextPage      "Go to the Next Page"       3008 PriorPage   "Go to the Prior Page"
//     3009 NextRecord    "Go to the Next Record"     3010 PriorRecord "Go to the Prior Record"
//     3012 Ditto         recalls the focused field's value saved last (the controller's own)
//
// A window shows the buttons only when its procedure lays them into its
// definition (Define); the program's windows lay none and are worked from
// the keyboard, so their toolbar routes nothing but keeps the navigation
// state that forms and browses share.
//
// Used only by the run token's holder.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/event.h"
#include "platform/window_definition.h"

namespace zelvo {

enum class ToolbarButton : int {
  Insert = 3001,
  LastPage = 3005,
  FirstPage = 3006,
  NextPage = 3007,
  PriorPage = 3008,
  NextRecord = 3009,
  PriorRecord = 3010,
  Ditto = 3012,
};

// What a toolbar button does to one target (a browse list, a form).
class ToolbarTarget {
 public:
  virtual ~ToolbarTarget() = default;
  // Carries out a navigation button (every button but Ditto).
  virtual void TakeToolbarButton(ToolbarButton button) = 0;
};

class Toolbar {
 public:
  // The tooltip of a button (CP1251; the navigation texts are plain ASCII).
  static std::string_view Tooltip(ToolbarButton button);

  // Lays the buttons into `window` as one row, each with its tooltip.
  void Define(WindowDefinition& window);
  // The button a control of the window stands for; nullopt for other controls.
  std::optional<ToolbarButton> ButtonOf(ControlId control) const;

  // A target; `list` is the list control it shows (0 for the form). The
  // first target added is the active one until another is chosen.
  void AddTarget(ToolbarTarget& target, ControlId list = 0);
  // The target of `list` becomes the active one; a list of no target changes nothing.
  void SetTarget(ControlId list);
  ToolbarTarget* ActiveTarget() const;

  // EVENT:Accepted of a navigation button goes to the active target: true
  // when the event was such a button (the Ditto button is left to the window).
  bool TakeEvent(const Event& event);

  // Forgets the targets (the window is being killed); the buttons stay.
  void Kill();

 private:
  struct Target {
    ToolbarTarget* target;
    ControlId list;
  };
  struct Button {
    ControlId control;
    ToolbarButton button;
  };

  std::vector<Target> targets_;
  std::size_t active_ = 0;
  std::vector<Button> buttons_;
};

}  // namespace zelvo
