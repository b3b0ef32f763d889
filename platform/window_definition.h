// WindowDefinition: a window as data, written in C++ by its procedure — its
// caption, its kind (the frame or a document window inside it) and a tree of
// controls. The back ends lay the tree out themselves: prompts and the entries
// they name in a column of rows, consecutive buttons in one row, groups in
// frames, a sheet's tabs as pages, lists across the whole width with the rows
// they ask for; there are no pixel coordinates.
//
//     WindowDefinition w("DniRUp", "Изменить запись");
//     ControlId date = w.Entry("Дата:", FieldBinding("DNI:DATA", dni, DNI.DATA), "@d6.");
//     ControlId days = w.Entry("Колич-во рабочих дней:", FieldBinding("DNI:D", dni, DNI.D), "@n2");
//     ControlId ok = w.Button("Ввод", ButtonRole::Ok);
//     ControlId cancel = w.Button("Отмена", ButtonRole::Cancel);
//
// Control ids are handed out in definition order from 1 and are what the
// procedure keeps; the window runtime answers events with them. Every
// control has a name that scripts, tests and the INI store find it by: the
// binding's name for bound controls, else the label given, else its text.
// Texts are CP1251; "&" marks the mnemonic letter, "&&" is a plain "&".
//
// Tab order is definition order, skipping prompts, groups, tabs and controls
// marked `skip`. Enter presses the default button (the Ok button unless
// another is made default), Esc the Cancel button, or closes the window when
// it has none.
#pragma once

#include <string>
#include <vector>

#include "platform/event.h"
#include "platform/field_binding.h"
#include "runtime/decimal.h"

namespace zelvo {

enum class WindowKind : std::uint8_t {
  Frame,     // the program's one frame: menu, status bar, the document area
  Document,  // every other window, inside the frame
};

enum class ControlKind : std::uint8_t {
  Prompt,    // a text naming the control after it
  Entry,     // one value typed through a picture
  Check,     // a check box storing one of two values
  Radio,     // a group of options storing the chosen option's value
  Option,    // one choice of the Radio group it sits in
  Spin,      // an entry with up and down steps
  Button,
  List,      // rows of columns, fed by the program page by page
  Sheet,     // a set of tabs
  Tab,       // one page of the Sheet it sits in
  Group,     // a framed box around controls, with a caption
  Progress,  // a bar from 0 to 100
  Pages,     // report pages drawn as the preview shows them (Window::ShowPages)
  Menu,      // a menu of the frame's menu bar, or a sub-menu
  MenuItem,  // a command of a menu
};

enum class ButtonRole : std::uint8_t {
  None,
  Ok,      // the form's OK button: "@ok" in scripts, the default button
  Cancel,  // the form's cancel button: "@cancel" in scripts, pressed by Esc
};

// What the runtime does itself for a menu item of the frame, instead of
// posting EVENT:Accepted for it.
enum class StandardAction : std::uint8_t {
  None,          // the item's EVENT:Accepted goes to the frame's procedure
  Exit,          // closes the frame (EVENT:CloseWindow to the frame)
  PrinterSetup,  // the platform's printer set-up dialog
  Tile,
  Cascade,
  ArrangeIcons,
};

struct ColumnDefinition {
  std::string header;   // CP1251
  std::string picture;  // what the column's texts were formatted with; its width and alignment
  int width = 0;        // characters; 0 for the picture's width
  // Shown under the column before it, in the same cell (a multi-line cell);
  // the header is that column's second line.
  bool stacked = false;
};

struct ControlDefinition {
  ControlKind kind = ControlKind::Prompt;
  ControlId id = 0;
  ControlId parent = 0;  // the Group, Tab, Radio or Menu it sits in; 0 at the top
  std::string name;      // see the header comment; never empty once defined
  std::string text;      // prompt, button, check box, option, tab, group caption, menu text
  std::string prompt;    // Entry, Spin, List, Radio: the Prompt shown before it ("" none)
  std::string status;    // MenuItem, Menu: the status bar text while it is highlighted
  std::string tip;       // tooltip
  FieldBinding value;    // Entry, Spin, Check, Radio: where the value lives
  std::string picture;   // Entry, Spin
  std::string onValue = "1";   // Check: the value stored when checked
  std::string offValue = "0";  // Check: when not checked
  std::string optionValue;     // Option: the value its Radio stores when it is chosen
  Decimal low, high, step{1};  // Spin
  std::vector<ColumnDefinition> columns;  // List
  int rows = 0;                           // List: visible rows at the window's first size
  bool scrollbar = true;                  // List: has a vertical scrollbar
  ButtonRole role = ButtonRole::None;     // Button
  bool isDefault = false;                 // Button: pressed by Enter
  StandardAction action = StandardAction::None;  // MenuItem
  bool disabled = false;
  bool hidden = false;
  bool readOnly = false;  // Entry, Spin: shows its value, takes no typing
  bool skip = false;      // not reached by Tab
};

class WindowDefinition {
 public:
  WindowDefinition(std::string procedure, std::string caption, WindowKind kind = WindowKind::Document);

  // Each adds a control (and, where a prompt text is given, the Prompt
  // before it) and answers the control's id.
  ControlId Prompt(std::string text);
  ControlId Entry(std::string prompt, FieldBinding value, std::string picture);
  ControlId Check(std::string text, FieldBinding value, std::string onValue = "1",
                  std::string offValue = "0");
  // A Radio group with one Option per choice: {text, value stored}.
  struct Choice {
    std::string text;
    std::string value;
  };
  ControlId Radio(std::string caption, FieldBinding value, const std::vector<Choice>& choices);
  ControlId Spin(std::string prompt, FieldBinding value, std::string picture, Decimal low, Decimal high,
                 Decimal step = Decimal(1));
  ControlId Button(std::string text, ButtonRole role = ButtonRole::None);
  ControlId List(std::string label, std::vector<ColumnDefinition> columns, int rows);
  ControlId Progress(std::string label);
  ControlId Pages(std::string label);
  // Containers: the controls added until the matching End() sit inside.
  ControlId BeginGroup(std::string caption);
  ControlId BeginSheet(std::string label);
  ControlId BeginTab(std::string text);  // inside a Sheet
  ControlId BeginMenu(std::string text, std::string status = {});  // frame only
  ControlId MenuItem(std::string text, std::string status = {}, StandardAction action = StandardAction::None);
  void End();

  // The control, to set the flags the builders do not take.
  ControlDefinition& operator[](ControlId id);
  const ControlDefinition& operator[](ControlId id) const;

  const std::string& Procedure() const { return procedure_; }
  const std::string& Caption() const { return caption_; }
  WindowKind Kind() const { return kind_; }
  const std::vector<ControlDefinition>& Controls() const { return controls_; }  // in id order

  bool resizable = true;
  std::string icon;  // the frame's icon, a resource name; "" the program's own

 private:
  ControlDefinition& Add(ControlKind kind, std::string name, std::string text);

  std::string procedure_;
  std::string caption_;
  WindowKind kind_;
  std::vector<ControlDefinition> controls_;
  std::vector<ControlId> open_;  // containers begun and not yet ended
};

}  // namespace zelvo
