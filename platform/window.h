// Window: one open window of the window runtime, as its procedure drives it.
// Opened by WindowRuntime::Open from a WindowDefinition on the procedure's
// thread; that thread runs its event loop; closed by Close or by destroying
// the object.
//
// The event loop (run by the window controller):
//
//     for (Event e = window.NextEvent(); e.number != EventNumber::None; e = window.NextEvent()) {
//       ... handle e ...
//       if (closing event and the procedure did not refuse it) window.Close();
//     }
//
// NextEvent gives up the run token while it waits and takes it back before it
// answers, so other procedure threads run only while this one waits. The
// first event of every window is EVENT:OpenWindow. User input arrives as the
// runtime's rules turn it into events:
//   - a control that receives the focus (Tab, a click, a mnemonic) gets
//     EVENT:Selected before anything else happens to it;
//   - leaving an entry whose text was changed stores the text through the
//     entry's picture and answers EVENT:Accepted, or, when the picture
//     refuses it, EVENT:Rejected with the value left as it was (the entry then
//     shows the refused text until Display);
//   - a button press, a check box toggle, a radio option chosen (the value
//     stored first) answer EVENT:Accepted; a list row clicked answers
//     EVENT:NewSelection with the selection moved; a tab chosen answers
//     EVENT:NewSelection for the sheet;
//   - an alerted key of a control answers EVENT:AlertKey for it (Alert);
//   - the close box and Esc without a cancel button answer EVENT:CloseWindow;
//     the frame closing answers EVENT:CloseDown to every document window.
//
// While a procedure thread runs a window opened after this one (an update form
// or a picker called from it), this window takes no user input.
//
// All operations are called only by the run token's holder. Post may name a
// window of another thread; everything else is called by the window's own
// procedure. A control id that the window does not have is ignored (a query
// answers the empty value).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/event.h"
#include "platform/report_page.h"
#include "platform/window_definition.h"
#include "platform/window_placement.h"

namespace zelvo {

// One list row: one text per column of the list's definition (stacked
// columns included, in definition order), CP1251, as the program formatted it.
using ListRow = std::vector<std::string>;

// What a page display shows: pages `first` on, `across` side by side and
// `down` one above the other, at `zoom` per cent of their size (or one of the
// fitted zooms), the `current` page highlighted.
struct PageDisplay {
  static constexpr int kZoomTile = -2;       // every page shown fits the control
  static constexpr int kZoomPageWidth = -1;  // a page as wide as the control
  SharedPages pages;
  int first = 1;
  int across = 1;
  int down = 1;
  int current = 1;
  int zoom = kZoomPageWidth;
};

// What a page display shows as drivers read it: "Page 3 of 7", "No pages".
std::string PagesShown(const PageDisplay& display);

struct PopupItem {
  std::string text;  // CP1251 with its mnemonic; "-" a separator
  bool enabled = true;
};

class Window : public PlacedWindow {
 public:
  ~Window() override = default;

  virtual const WindowDefinition& Definition() const = 0;

  // Events ------------------------------------------------------------------
  // Waits for the next event (see the header comment); EventNumber::None once
  // the window is closed.
  virtual Event NextEvent() = 0;
  // Queues an event behind those already waiting, as if the runtime had
  // delivered it; any token holder may post to any window.
  virtual void Post(EventNumber number, ControlId control = 0) = 0;
  // Closes the window at once: it disappears, its placement can no longer be
  // read, and NextEvent answers None. Closing twice does nothing.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  // Controls ----------------------------------------------------------------
  virtual ControlId Focused() const = 0;
  virtual void Focus(ControlId control) = 0;  // no EVENT:Selected: the program moved it
  virtual void Enable(ControlId control, bool enabled) = 0;
  virtual bool IsEnabled(ControlId control) const = 0;
  // Control 0 is the window itself: a hidden window is not shown (a report's
  // progress window while it waits to appear) until it is shown again.
  virtual void Show(ControlId control, bool visible) = 0;
  virtual bool IsVisible(ControlId control) const = 0;  // false also inside a hidden tab or group
  virtual void SetReadOnly(ControlId control, bool readOnly) = 0;
  virtual void SetDefaultButton(ControlId button) = 0;
  // Shows the bound values again through their pictures (0: every control);
  // this is how a program change of a variable reaches the screen.
  virtual void Display(ControlId control = 0) = 0;
  // Takes a changed text still being typed into its bound value as leaving
  // the entry would, without events (0: every control).
  virtual void Update(ControlId control = 0) = 0;
  // Text of a prompt, button, check box, option, tab, group, menu item, or of
  // the window's caption (control 0); an entry's text as shown.
  virtual std::string Text(ControlId control) const = 0;
  virtual void SetText(ControlId control, std::string_view text) = 0;
  // "Select the whole form": every enabled entry's text is read through its
  // picture; when all are acceptable EVENT:Completed is posted, otherwise the
  // first refused entry gets the focus and EVENT:Rejected is posted for it.
  virtual void SelectAll() = 0;
  // Makes `first`..`last` key codes of the control answer EVENT:AlertKey;
  // Unalert undoes it. Code 0 stands for every printable character that has
  // no key code of its own (Cyrillic letters, signs): a list alerts it for
  // its locator, and the event carries the character.
  virtual void Alert(ControlId control, KeyCode first, KeyCode last) = 0;
  virtual void Unalert(ControlId control, KeyCode first, KeyCode last) = 0;
  virtual void Beep() = 0;
  // A timer posting EVENT:Timer every `hundredths` of a second; 0 stops it.
  virtual void SetTimer(int hundredths) = 0;

  // Lists -------------------------------------------------------------------
  virtual void SetRows(ControlId list, std::vector<ListRow> rows) = 0;
  virtual int RowCount(ControlId list) const = 0;
  // The selected row, 1-based; 0 none.
  virtual int Selection(ControlId list) const = 0;
  virtual void Select(ControlId list, int row) = 0;  // no event
  // The number of rows the control shows at its present size.
  virtual int VisibleRows(ControlId list) const = 0;
  // The scrollbar: shown or not, and the thumb at 0..100.
  virtual void SetThumb(ControlId list, bool shown, int position) = 0;
  virtual int Thumb(ControlId list) const = 0;
  // In-place editing: lays an entry control (made with CreateControl) over the
  // cell of `row` and `column` (1-based) of the list, or takes it away (row 0).
  virtual void PlaceOverCell(ControlId entry, ControlId list, int row, int column) = 0;

  // Sheets ------------------------------------------------------------------
  virtual int ChosenTab(ControlId sheet) const = 0;  // 1-based
  virtual void ChooseTab(ControlId sheet, int tab) = 0;  // no event

  // Progress bars -------------------------------------------------------------
  virtual void SetProgress(ControlId progress, int percent) = 0;

  // Page displays ---------------------------------------------------------------
  virtual void ShowPages(ControlId pages, PageDisplay display) = 0;

  // Controls made while the window runs (the in-place editor's cell entries):
  // answers the new id, after every id of the definition.
  virtual ControlId CreateControl(ControlDefinition control) = 0;
  virtual void DestroyControl(ControlId control) = 0;

  // A popup menu at the mouse; waits (without the token) and answers the
  // chosen item, 1-based, or 0 when none was chosen.
  virtual int Popup(const std::vector<PopupItem>& items) = 0;
};

}  // namespace zelvo
