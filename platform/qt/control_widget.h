// ControlWidget: one control of a window as the Qt back end shows it — the
// widget made from the control's definition, kept in step with the model's
// ControlState, reporting what the user does to it as UserInput. One
// subclass per control kind; FormView builds them and lays them out.
//
// The model decides everything: a check box clicked does not tick itself, it
// reports Press and shows the state the model sends back; a list clicked
// does not move its selection, it reports ClickRow. Only typing stays with
// the widget (an entry edits its own text and reports Edit), because the
// keys of a typist must not wait for a round trip.
//
// GUI thread only. The definition is a copy: its FieldBinding is never
// followed here (record buffers belong to the run token's holder).
#pragma once

#include <functional>

#include <QObject>

#include "platform/model/presenter.h"
#include "platform/model/user_input.h"
#include "platform/user_driver.h"

class QKeyEvent;
class QWidget;

namespace zelvo {

using ReportInput = std::function<void(UserInput)>;

class ControlWidget : public QObject {
 public:
  ControlWidget(const ControlDefinition& definition, ReportInput report);
  ~ControlWidget() override;

  const ControlDefinition& Definition() const { return definition_; }
  ControlId Id() const { return definition_.id; }
  // The state last applied.
  const ControlState& State() const { return state_; }

  // The widget the layout places; FocusTarget the one that takes the focus.
  virtual QWidget* Widget() const = 0;
  virtual QWidget* FocusTarget() const { return Widget(); }

  // Shows the model's state. The base shows enabled and visible on Widget();
  // overrides call it and add what is theirs.
  virtual void Apply(const ControlState& state);

  // True when a key pressed in the control is the widget's own business
  // (typing and moving about in an entry); every other key goes to the model.
  virtual bool KeepsKey(const QKeyEvent&) const { return false; }
  // The user moved on: a key of this control went to the model, or the
  // control lost the focus. What was typed is now for the model to settle.
  virtual void Settle() {}

  // What the control shows, as the user driver reads it. The base fills what
  // the definition says (kind, name, prompt...) and enabled and visible from
  // the widget; overrides add text, shown, checked, rows...
  virtual void Read(ControlView& view) const;

 protected:
  void Remember(const ControlState& state) { state_ = state; }
  // Reports `input` for this control (its `control` set to Id() unless set).
  void Report(UserInput input) const;
  // Marks `widget` (and, for the input filter, everything inside it) as
  // belonging to this control, or to control `as` when given.
  void Claim(QWidget* widget, ControlId as = 0) const;

 private:
  ControlDefinition definition_;
  ReportInput report_;
  ControlState state_;
};

// The control a widget belongs to (set by Claim), 0 for none; walks up the
// parents until a claimed widget.
ControlId ClaimedControl(const QObject* object);

}  // namespace zelvo
