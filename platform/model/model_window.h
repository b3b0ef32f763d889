// ModelWindow: one open window of the window model — its controls' state, its
// event queue, its placement, and the rules that turn user input into its
// events (see platform/window.h and platform/model/user_input.h).
//
// The window belongs to the procedure thread that opened it. Its state is
// touched only by the run token's holder: the owner's procedure through the
// Window interface, any holder through Post, the owner applying the user's
// input, a driver or display reading it while it holds the token.
//
// Control ids index `controls_` from 1: first the definition's controls, then
// those made at run time; a destroyed control keeps its id, dead.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/model/presenter.h"
#include "platform/model/user_input.h"
#include "platform/window.h"
#include "runtime/picture.h"

namespace zelvo {

class WindowModel;
class ProcedureThread;

struct ModelControl {
  ControlDefinition definition;
  ControlState state;              // what a display shows
  bool alive = true;
  bool edited = false;             // Entry, Spin: typed since it was last shown
  bool created = false;            // made at run time
  int visibleRows = 0;             // List
  std::vector<std::pair<KeyCode, KeyCode>> alerts;
  std::optional<Picture> picture;  // Entry, Spin
};

class ModelWindow final : public Window {
 public:
  ModelWindow(WindowModel& model, ProcedureThread* owner, int handle, const WindowDefinition& definition);
  ~ModelWindow() override;

  // Window -------------------------------------------------------------------
  const WindowDefinition& Definition() const override { return definition_; }
  Event NextEvent() override;
  void Post(EventNumber number, ControlId control = 0) override;
  void Close() override;
  bool IsOpen() const override { return open_; }
  ControlId Focused() const override { return focus_; }
  void Focus(ControlId control) override;
  void Enable(ControlId control, bool enabled) override;
  bool IsEnabled(ControlId control) const override;
  void Show(ControlId control, bool visible) override;
  bool IsVisible(ControlId control) const override;
  void SetReadOnly(ControlId control, bool readOnly) override;
  void SetDefaultButton(ControlId button) override;
  void Display(ControlId control = 0) override;
  void Update(ControlId control = 0) override;
  std::string Text(ControlId control) const override;
  void SetText(ControlId control, std::string_view text) override;
  void SelectAll() override;
  void Alert(ControlId control, KeyCode first, KeyCode last) override;
  void Unalert(ControlId control, KeyCode first, KeyCode last) override;
  void Beep() override { ++beeps_; }
  void SetTimer(int hundredths) override;
  void SetRows(ControlId list, std::vector<ListRow> rows) override;
  int RowCount(ControlId list) const override;
  int Selection(ControlId list) const override;
  void Select(ControlId list, int row) override;
  int VisibleRows(ControlId list) const override;
  void SetThumb(ControlId list, bool shown, int position) override;
  int Thumb(ControlId list) const override;
  void PlaceOverCell(ControlId entry, ControlId list, int row, int column) override;
  int ChosenTab(ControlId sheet) const override;
  void ChooseTab(ControlId sheet, int tab) override;
  void SetProgress(ControlId progress, int percent) override;
  void ShowPages(ControlId pages, PageDisplay display) override;
  ControlId CreateControl(ControlDefinition control) override;
  void DestroyControl(ControlId control) override;
  int Popup(const std::vector<PopupItem>& items) override;

  // PlacedWindow ---------------------------------------------------------------
  bool IsMaximized() const override { return state_ == 1; }
  bool IsMinimized() const override { return state_ == 2; }
  bool IsResizable() const override { return definition_.resizable; }
  int X() const override { return x_; }
  int Y() const override { return y_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetMaximized(bool maximized) override;
  void SetPosition(std::string_view x, std::string_view y) override;
  void SetSize(std::string_view width, std::string_view height) override;

  // For the window model and the drivers (token held) ---------------------------
  int handle() const { return handle_; }
  ProcedureThread* owner() const { return owner_; }
  WindowKind kind() const { return definition_.Kind(); }
  // The user can reach it: it is on top of its thread and no message box or
  // popup of its thread is open.
  bool TakesInput() const;
  // The control, alive; nullptr for an id it does not have.
  const ModelControl* Control(ControlId id) const;
  // Ids of the alive controls, in id order.
  std::vector<ControlId> ControlIds() const;
  // The option (1-based) chosen in a radio group, or the tab chosen in a sheet.
  int Chosen(ControlId control) const { return Control(control) ? Control(control)->state.chosen : 0; }
  // The Option or Tab controls of a Radio or Sheet, in order.
  std::vector<ControlId> Children(ControlId parent, ControlKind kind) const;
  WindowState State() const;
  // The caption shown: the definition's until the program sets another.
  std::string caption() const { return captionSet_ ? caption_ : definition_.Caption(); }
  int nominalHeight() const { return nominalHeight_; }
  int beeps() const { return beeps_; }
  int timer() const { return timer_; }  // hundredths; 0 none

  // The window model's side.
  void PostEvent(const Event& event);
  std::optional<Event> TakeEvent();
  bool HasEvents() const { return !events_.empty(); }
  void MarkClosed() { open_ = false; events_.clear(); }
  void Place(int x, int y, int width, int height);
  bool dirty = true;             // changed since the presenter last heard of it
  bool placementChanged = true;  // moved or sized by the program since then

  // The user's input, by the rules of platform/window.h.
  void Apply(const UserInput& input);

 private:
  ModelControl* Mutable(ControlId id);
  bool IsUsable(ControlId id) const;  // alive, enabled and visible
  bool IsAlerted(ControlId id, KeyCode key) const;
  ControlId FocusTarget(ControlId id) const;
  ControlId NextStop(int direction) const;
  ControlId DefaultButton() const;
  ControlId CancelButton() const;
  void ShowValue(ModelControl& control);
  bool TakeText(ModelControl& control);

  bool LeaveFocused();
  bool MoveFocus(ControlId id);
  void PressKey(ControlId id, const UserInput& input);
  void Type(ModelControl& entry, const UserInput& input);
  void PressControl(ControlId id);
  void ChooseOption(ControlId radio, int option);
  void ChooseTabByUser(ControlId sheet, int tab);
  void ClickRow(ControlId list, const UserInput& input);
  void FollowMnemonic(unsigned char letter);
  void Step(ControlId spin, int direction);
  void TakePlacement(const UserInput& input);

  WindowModel& model_;
  ProcedureThread* owner_;
  int handle_;
  WindowDefinition definition_;
  std::vector<ModelControl> controls_;
  std::vector<std::pair<KeyCode, KeyCode>> windowAlerts_;
  std::deque<Event> events_;
  bool open_ = true;
  std::string caption_;
  bool captionSet_ = false;
  bool hidden_ = false;  // Show(0, false)
  ControlId focus_ = 0;
  int timer_ = 0;
  int beeps_ = 0;
  int x_ = 0, y_ = 0, width_ = 0, height_ = 0, state_ = 0;
  int nominalHeight_ = 0;
};

}  // namespace zelvo
