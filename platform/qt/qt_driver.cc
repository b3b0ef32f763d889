#include "platform/qt/qt_driver.h"

#include <algorithm>
#include <chrono>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "platform/qt/choice_controls.h"
#include "platform/qt/document_window.h"
#include "platform/qt/entry_control.h"
#include "platform/qt/frame_window.h"
#include "platform/qt/key_translation.h"
#include "platform/qt/list_control.h"
#include "platform/qt/message_dialog.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/sheet_control.h"
#include "runtime/cp1251.h"

namespace zelvo {

struct QtDriver::Target {
  QWidget& window;
  FormView& form;
};

namespace {

constexpr const char* kEnded = "the program has ended";

std::string Joined(const std::vector<std::string>& path) {
  std::string joined;
  for (const std::string& part : path) joined += (joined.empty() ? "" : "/") + part;
  return joined;
}

// The control's view as the user driver reads it, or why the user cannot reach it.
std::string Reach(const FormView& form, ControlId id, ControlView* found) {
  for (const ControlView& view : form.Read()) {
    if (view.id != id) continue;
    if (!view.visible) return "\"" + view.name + "\" is hidden";
    if (!view.enabled) return "\"" + view.name + "\" is disabled";
    if (found) *found = view;
    return {};
  }
  return "the window has no control " + std::to_string(id);
}

void ClickAt(QWidget* widget, QPoint at = {}) { QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at); }

// A click on a button as the user aims it: an option of a radio group on its
// circle, for the group's column stretches every option to the widest one's
// width, and the middle of a short option lies past its text, where a click
// does nothing.
void ClickButton(QWidget* widget) {
  if (qobject_cast<QRadioButton*>(widget)) {
    const int side = std::min(widget->width(), widget->height());
    ClickAt(widget, QPoint(side / 2, widget->height() / 2));
  } else {
    ClickAt(widget);
  }
}

// A key press as the keyboard sends it: to the widget with the focus.
void SendKey(QWidget& window, NamedKey key) {
  QWidget* receiver = QApplication::focusWidget();
  if (!receiver || !window.isAncestorOf(receiver)) receiver = &window;
  const QtKeyPress press = QtKeyFor(key);
  QTest::sendKeyEvent(QTest::Click, receiver, press.key, press.text, press.modifiers);
}

// A press that gives a button the focus and, let go away from it, does not press it.
void PressAndSlideOff(QWidget* widget) {
  QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
  QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, QPoint(-4, -4));
}

// Gives the control the focus as a click does, and nothing more: on an
// entry's right end (the caret goes after the text), a list's header, a
// prompt; a button, box or option is pressed and let go off it.
std::string ClickInto(ControlWidget& control) {
  const ControlKind kind = control.Definition().kind;
  QWidget* widget = control.Widget();
  switch (kind) {
    case ControlKind::Entry:
    case ControlKind::Spin: {
      QLineEdit* line = static_cast<EntryControl&>(control).Line();
      ClickAt(line, QPoint(line->width() - 3, line->height() / 2));
      return {};
    }
    case ControlKind::List: {
      QTableView& table = *static_cast<ListControl&>(control).Table();
      if (!table.horizontalHeader()->isHidden()) {
        ClickAt(table.horizontalHeader());
      } else {
        table.setFocus(Qt::MouseFocusReason);  // no header, and every row takes the click as a choice
      }
      return {};
    }
    case ControlKind::Radio:
      PressAndSlideOff(control.FocusTarget());
      return {};
    case ControlKind::Button:
    case ControlKind::Check:
    case ControlKind::Option:
      PressAndSlideOff(widget);
      return {};
    case ControlKind::Prompt:
      ClickAt(widget);
      return {};
    default:
      return "\"" + Cp1251ToUtf8(control.Definition().name) + "\" takes no focus";
  }
}

// The user's hands work in the window in front. Without a window manager
// (offscreen, a bare X server) a closed popup or message box leaves nothing
// active, so the driver brings the frame forward as a click on it would.
void MakeActive(QWidget& window) {
  QWidget* top = window.window();
  if (QApplication::activeWindow() != top) QApplication::setActiveWindow(top);
}

// What the user sees of a window of the program, and of the controls in it.
template <class QtWindow>
WindowView Describe(const ProgramWindow<QtWindow>& window, const FormView& form) {
  WindowView view;
  view.handle = window.Handle();
  view.procedure = Cp1251ToUtf8(window.Procedure());
  view.caption = ToUtf8(window.windowTitle());
  view.takesInput = form.TakesInput();
  view.visible = !window.HiddenByProgram();
  view.maximized = window.isMaximized();
  view.minimized = window.isMinimized();
  // Where it returns when restored, as the INI store keeps it.
  const QRect placed = view.maximized || view.minimized ? window.Placement().Normal() : window.geometry();
  view.x = placed.x();
  view.y = placed.y();
  view.width = placed.width();
  view.height = placed.height();
  view.controls = form.Read();
  return view;
}

}  // namespace

bool QtDriver::WaitIdle(double seconds, std::string* busy) {
  using SteadyClock = std::chrono::steady_clock;
  const auto deadline = SteadyClock::now() + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double>(seconds));
  Desktop& desktop = runtime_.desktop();
  for (;;) {
    const double left = std::chrono::duration<double>(deadline - SteadyClock::now()).count();
    if (!runtime_.WaitIdle(std::max(left, 0.0), busy)) return false;
    if (runtime_.Ended()) return true;
    // Whatever the GUI thread still had queued (a placement being reported,
    // a layout settling) runs before these calls return; what it hands the
    // model shows in the count of inputs.
    const std::uint64_t inputs = desktop.InputsReported();
    if (!runtime_.OnDisplay([] {}) || !runtime_.OnDisplay([] {})) return true;  // the program has ended
    if (desktop.InputsReported() == inputs && runtime_.WaitIdle(0, nullptr)) return true;
    if (SteadyClock::now() >= deadline) {
      if (busy) *busy = "the display";
      return false;
    }
  }
}

std::vector<WindowView> QtDriver::Windows() const {
  std::vector<WindowView> views;
  runtime_.OnDisplay([&] {
    Desktop& desktop = runtime_.desktop();
    FrameWindow* frame = desktop.Frame();
    QMdiSubWindow* active = frame ? frame->Area().activeSubWindow() : nullptr;
    for (int handle : desktop.Handles()) {
      if (frame && frame->Handle() == handle) {
        WindowView& view = views.emplace_back(Describe(*frame, frame->Form()));
        view.kind = WindowKind::Frame;
        view.active = active == nullptr;
        frame->Menus().Read(view.controls);
      } else if (DocumentWindow* document = desktop.Document(handle)) {
        WindowView& view = views.emplace_back(Describe(*document, document->Form()));
        view.kind = WindowKind::Document;
        view.active = active == document;
      }
    }
  });
  return views;
}

std::optional<MessageView> QtDriver::Message() const {
  std::optional<MessageView> view;
  runtime_.OnDisplay([&] {
    const MessageDialog* message = runtime_.desktop().Message();
    if (!message) return;
    view.emplace();
    view->caption = ToUtf8(message->windowTitle());
    view->text = ToUtf8(message->text());
    for (const auto& [button, bit] : message->Buttons()) view->buttons.push_back(Unmarked(button->text()));
  });
  return view;
}

std::vector<MenuItemView> QtDriver::Menu() const {
  std::vector<MenuItemView> items;
  runtime_.OnDisplay([&] {
    if (const FrameWindow* frame = runtime_.desktop().Frame()) items = frame->Menus().Items();
  });
  return items;
}

std::string QtDriver::StatusText() const {
  std::string text;
  runtime_.OnDisplay([&] {
    if (const FrameWindow* frame = runtime_.desktop().Frame()) text = ToUtf8(frame->StatusText());
  });
  return text;
}

std::string QtDriver::Act(int handle, const std::function<std::string(Target&)>& act) {
  std::string why = kEnded;
  runtime_.OnDisplay([&] {
    why.clear();
    Desktop& desktop = runtime_.desktop();
    FrameWindow* frame = desktop.Frame();
    QWidget* window = nullptr;
    FormView* form = nullptr;
    if (frame && frame->Handle() == handle) {
      window = frame;
      form = &frame->Form();
    } else if (DocumentWindow* document = desktop.Document(handle)) {
      window = document;
      form = &document->Form();
      if (frame && frame->Area().activeSubWindow() != document && form->TakesInput())
        frame->Area().setActiveSubWindow(document);
    }
    if (!window) {
      why = "the window is not open";
      return;
    }
    if (!form->TakesInput()) {
      why = "\"" + ToUtf8(window->windowTitle()) +
            "\" takes no input while a window or message opened after it is open";
      return;
    }
    MakeActive(*window);
    Target target{*window, *form};
    why = act(target);
  });
  return why;
}

std::string QtDriver::ChooseMenu(const std::vector<std::string>& path) {
  std::string why = kEnded;
  runtime_.OnDisplay([&] {
    why.clear();
    FrameWindow* frame = runtime_.desktop().Frame();
    if (!frame) {
      why = "the frame is not open";
      return;
    }
    const std::vector<QAction*> steps = frame->Menus().Path(path);
    if (steps.empty() || steps.back()->menu()) {
      why = "the menu has no item \"" + Joined(path) + "\"";
      return;
    }
    if (!steps.back()->isEnabled()) {
      why = "the menu item \"" + Joined(path) + "\" is disabled";
      return;
    }
    if (!frame->Form().TakesInput()) {
      why = "the frame takes no input while a window or message opened after it is open";
      return;
    }
    MakeActive(*frame);
    // The menu's title on the bar, then each item down to the one chosen.
    QMenuBar& bar = *frame->menuBar();
    QWidget* on = &bar;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const QRect place = on == &bar ? bar.actionGeometry(steps[i]) : static_cast<QMenu*>(on)->actionGeometry(steps[i]);
      if (!on->isVisible() || place.isEmpty()) {
        why = "the menu did not open on the way to \"" + Joined(path) + "\"";
        break;
      }
      ClickAt(on, place.center());
      if (steps[i]->menu()) on = steps[i]->menu();
    }
    // Whatever is left open (a failure on the way) closes, as Esc would.
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    MakeActive(*frame);
  });
  return why;
}

std::string QtDriver::Type(int handle, ControlId control, const std::string& text) {
  const std::optional<std::string> typed = Utf8ToCp1251(text);
  if (!typed) return "the text has characters the program cannot hold";
  return Act(handle, [&](Target& target) -> std::string {
    ControlView view;
    if (std::string why = Reach(target.form, control, &view); !why.empty()) return why;
    if (view.kind != ControlKind::Entry && view.kind != ControlKind::Spin) return "\"" + view.name + "\" is not an entry";
    ControlWidget& entry = *target.form.Control(control);
    QLineEdit* line = static_cast<EntryControl&>(entry).Line();
    if (line->isReadOnly()) return "\"" + view.name + "\" is read-only";
    (void)ClickInto(entry);
    line->selectAll();  // as a double click or Ctrl+A would; typing replaces it
    if (typed->empty() && !line->text().isEmpty()) QTest::keyClick(line, Qt::Key_Delete);
    for (char c : *typed) {
      const std::optional<NamedKey> key = KeyFromName(Cp1251ToUtf8(std::string(1, c)));
      if (key) SendKey(target.window, *key);
    }
    SendKey(target.window, NamedKey{kTab, 0});
    return {};
  });
}

std::string QtDriver::Press(int handle, ControlId control) {
  return Act(handle, [&](Target& target) -> std::string {
    ControlView view;
    if (std::string why = Reach(target.form, control, &view); !why.empty()) return why;
    if (view.kind != ControlKind::Button && view.kind != ControlKind::Check && view.kind != ControlKind::Option)
      return "\"" + view.name + "\" cannot be pressed";
    ClickButton(target.form.Control(control)->Widget());
    return {};
  });
}

std::string QtDriver::Choose(int handle, ControlId radio, int option) {
  return Act(handle, [&](Target& target) -> std::string {
    ControlView view;
    if (std::string why = Reach(target.form, radio, &view); !why.empty()) return why;
    auto* group = dynamic_cast<RadioControl*>(target.form.Control(radio));
    if (!group || option < 1 || option > static_cast<int>(group->Options().size()))
      return "\"" + view.name + "\" has no option " + std::to_string(option);
    OptionControl& chosen = *group->Options()[static_cast<std::size_t>(option - 1)];
    if (std::string why = Reach(target.form, chosen.Id(), nullptr); !why.empty()) return why;
    ClickButton(chosen.Button());
    return {};
  });
}

std::string QtDriver::Click(int handle, ControlId control) {
  return Act(handle, [&](Target& target) -> std::string {
    if (std::string why = Reach(target.form, control, nullptr); !why.empty()) return why;
    return ClickInto(*target.form.Control(control));
  });
}

std::string QtDriver::ChooseTab(int handle, ControlId sheet, int tab) {
  return Act(handle, [&](Target& target) -> std::string {
    ControlView view;
    if (std::string why = Reach(target.form, sheet, &view); !why.empty()) return why;
    auto* tabs = dynamic_cast<SheetControl*>(target.form.Control(sheet));
    if (!tabs || tab < 1 || tab > tabs->Tabs()->count()) return "\"" + view.name + "\" has no tab " + std::to_string(tab);
    QTabBar& bar = *tabs->Tabs()->tabBar();
    const std::string text = Unmarked(bar.tabText(tab - 1));
    if (!tabs->Tabs()->isTabVisible(tab - 1)) return "\"" + text + "\" is hidden";
    if (!tabs->Tabs()->isTabEnabled(tab - 1)) return "\"" + text + "\" is disabled";
    ClickAt(&bar, bar.tabRect(tab - 1).center());
    return {};
  });
}

std::string QtDriver::SelectRow(int handle, ControlId list, int row) {
  return Act(handle, [&](Target& target) -> std::string {
    ControlView view;
    if (std::string why = Reach(target.form, list, &view); !why.empty()) return why;
    auto* rows = dynamic_cast<ListControl*>(target.form.Control(list));
    if (!rows) return "\"" + view.name + "\" is not a list";
    const QRect place = rows->RowRect(row);
    if (place.isEmpty()) return "\"" + view.name + "\" shows " + std::to_string(view.rows.size()) + " rows";
    ClickAt(rows->Table()->viewport(), place.center());
    return {};
  });
}

std::string QtDriver::PressKey(int handle, ControlId control, NamedKey key) {
  return Act(handle, [&](Target& target) -> std::string {
    if (control != 0) {
      if (std::string why = Reach(target.form, control, nullptr); !why.empty()) return why;
      if (std::string why = ClickInto(*target.form.Control(control)); !why.empty()) return why;
    }
    SendKey(target.window, key);
    return {};
  });
}

std::string QtDriver::Answer(const std::string& button) {
  std::string why = kEnded;
  runtime_.OnDisplay([&] {
    why.clear();
    MessageDialog* message = runtime_.desktop().Message();
    if (!message) {
      why = "no message box is open";
      return;
    }
    std::string offered;
    for (const auto& [widget, bit] : message->Buttons()) {
      const std::string label = Unmarked(widget->text());
      if (NamesButton(label, button)) {
        ClickAt(widget);
        return;
      }
      offered += (offered.empty() ? "" : ", ") + label;
    }
    why = "the message box has no button \"" + button + "\" (it has " + offered + ")";
  });
  return why;
}

std::string QtDriver::Close(int handle) {
  return Act(handle, [](Target& target) -> std::string {
    target.window.close();  // as the close box: the window asks its procedure
    return {};
  });
}

std::string QtDriver::Place(int handle, int x, int y, int width, int height) {
  return Act(handle, [&](Target& target) -> std::string {
    if (width < 1 || height < 1) return "a window's width and height are at least 1";
    QWidget& window = target.window;
    const bool fixed = window.minimumSize() == window.maximumSize();
    if (fixed && (width != window.width() || height != window.height()))
      return "\"" + ToUtf8(window.windowTitle()) + "\" cannot be resized";
    if (window.isMaximized() || window.isMinimized()) window.showNormal();
    window.setGeometry(x, y, width, height);
    return {};
  });
}

std::string QtDriver::SetState(int handle, ShowState state) {
  return Act(handle, [&](Target& target) -> std::string {
    switch (state) {
      case ShowState::Normal: target.window.showNormal(); break;
      case ShowState::Maximized: target.window.showMaximized(); break;
      case ShowState::Minimized: target.window.showMinimized(); break;
    }
    return {};
  });
}

}  // namespace zelvo
