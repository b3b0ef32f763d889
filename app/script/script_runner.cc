#include "app/script/script_runner.h"

#include <chrono>
#include <thread>

#include "app/script/control_names.h"
#include "platform/page_output.h"
#include "platform/key_code.h"
#include "runtime/decimal.h"

namespace zelvo {
namespace {

using Command = ScriptCommand;

std::string Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

std::string Expected(const std::string& expected, const std::string& found) {
  return "expected \"" + expected + "\", found \"" + found + "\"";
}

std::string Joined(const std::vector<std::string>& texts, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < texts.size() && i < count; ++i) joined += (i ? " | " : "") + Trim(texts[i]);
  return joined;
}

std::vector<std::string> MenuPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t slash = path.find('/', from);
    parts.push_back(Trim(path.substr(from, slash - from)));
    if (slash == std::string::npos) return parts;
    from = slash + 1;
  }
}

bool Titled(const WindowView& window, const std::string& title) {
  const std::string wanted = Trim(title);
  return Trim(window.caption) == wanted || Trim(window.procedure) == wanted;
}

std::string OpenTitles(const std::vector<WindowView>& windows) {
  std::string titles;
  for (const WindowView& window : windows) titles += (titles.empty() ? "" : ", ") + Trim(window.caption);
  return titles;
}

const ControlView* ControlOf(const WindowView& window, ControlId id) {
  for (const ControlView& control : window.controls)
    if (control.id == id) return &control;
  return nullptr;
}

bool Commands(const ScriptLine& line, std::initializer_list<Command> commands) {
  for (Command command : commands)
    if (line.command == command) return true;
  return false;
}

}  // namespace

int ScriptRunner::Run() {
  for (const ScriptLine& line : script_.lines) {
    const std::string why = Execute(line);
    if (!why.empty()) return Fail(script_.fileName + ":" + std::to_string(line.number), why);
  }
  if (std::string why = EndProgram(); !why.empty()) return Fail(script_.fileName, why);
  return 0;
}

int ScriptRunner::Fail(const std::string& where, const std::string& why) {
  errors_ << where << ": " << why << std::endl;
  // The session cannot go on: the program ends as a fatal halt ends it.
  driver_.Quit();
  std::string busy;
  (void)driver_.WaitIdle(kWaitSeconds, &busy);
  return 1;
}

std::string ScriptRunner::Execute(const ScriptLine& line) {
  if (std::string why = Prepare(line); !why.empty()) return why;
  switch (line.command) {
    case Command::Menu:
      return driver_.ChooseMenu(MenuPath(line.words[0]));
    case Command::Window:
      return ChooseWindow(line.words[0]);
    case Command::Answer:
      return driver_.Answer(Trim(line.words[0]));
    case Command::ExpectWindow:
    case Command::ExpectClosed:
    case Command::ExpectWindows: {
      const std::vector<WindowView> windows = driver_.Windows();
      long count = 0;
      for (const WindowView& window : windows) count += Titled(window, line.words[0]);
      if (line.command == Command::ExpectWindow && count == 0)
        return Expected(Trim(line.words[0]), OpenTitles(windows));
      if (line.command == Command::ExpectClosed && count > 0)
        return "expected no window \"" + Trim(line.words[0]) + "\", found " + std::to_string(count);
      if (line.command == Command::ExpectWindows && count != std::stol(line.words[1]))
        return Expected(line.words[1], std::to_string(count));
      return {};
    }
    case Command::ExpectMessage: {
      std::optional<MessageView> message = driver_.Message();
      if (!message) return "expected a message box, found none";
      if (message->text.find(Trim(line.words[0])) == std::string::npos)
        return Expected(Trim(line.words[0]), message->text);
      if (line.words.size() > 1 && Trim(message->caption) != Trim(line.words[1]))
        return Expected(Trim(line.words[1]), Trim(message->caption));
      return {};
    }
    case Command::ExpectMenu: {
      const std::vector<std::string> path = MenuPath(line.words[0]);
      for (const MenuItemView& item : driver_.Menu()) {
        if (item.path != path) continue;
        const std::string state = item.enabled ? "enabled" : "disabled";
        return state == line.words[1] ? std::string() : Expected(line.words[1], state);
      }
      return "the menu has no item \"" + line.words[0] + "\"";
    }
    case Command::ExpectStatus: {
      const std::string status = Trim(driver_.StatusText());
      return status == Trim(line.words[0]) ? std::string() : Expected(Trim(line.words[0]), status);
    }
    default:
      break;
  }
  WindowView target;
  if (std::string why = Target(&target); !why.empty()) return why;
  if (line.name.starts_with("expect-")) return Expect(line, target);
  return Act(line, target);
}

std::string ScriptRunner::Prepare(const ScriptLine& line) {
  if (driver_.Ended()) return "the program has ended";
  std::string busy;
  if (!driver_.WaitIdle(kWaitSeconds, &busy))
    return "the program is still busy after " + std::to_string(static_cast<int>(kWaitSeconds)) + " seconds: " + busy;
  if (driver_.Ended()) return "the program has ended";
  if (!Commands(line, {Command::Answer, Command::ExpectMessage}))
    if (std::optional<MessageView> message = driver_.Message()) return "unexpected message box: " + message->text;
  return {};
}

std::string ScriptRunner::Target(WindowView* view) {
  const std::vector<WindowView> windows = driver_.Windows();
  for (const WindowView& window : windows)
    if (window.handle == target_) {
      *view = window;
      return {};
    }
  // The chosen window has closed (or none was chosen): the focus decides.
  target_ = 0;
  for (const WindowView& window : windows)
    if (window.active) {
      *view = window;
      return {};
    }
  return "no window is open";
}

std::string ScriptRunner::ChooseWindow(const std::string& title) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kWaitSeconds);
  for (;;) {
    const std::vector<WindowView> windows = driver_.Windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
      if (Titled(*it, title)) {
        target_ = it->handle;
        return {};
      }
    if (std::chrono::steady_clock::now() >= deadline || driver_.Ended())
      return "no window \"" + Trim(title) + "\" opened (open: " + OpenTitles(windows) + ")";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::string busy;
    (void)driver_.WaitIdle(kWaitSeconds, &busy);
  }
}

std::string ScriptRunner::Act(const ScriptLine& line, const WindowView& target) {
  const int window = target.handle;
  ControlId id = 0;
  auto resolve = [&](const std::string& name) { return ResolveControl(target, name, &id); };
  switch (line.command) {
    case Command::Type:
      if (std::string why = resolve(line.words[0]); !why.empty()) return why;
      return driver_.Type(window, id, line.words[1]);
    case Command::Press: {
      if (std::string why = resolve(line.words[0]); !why.empty()) return why;
      const ControlView& control = *ControlOf(target, id);
      if (control.kind == ControlKind::Option || control.kind == ControlKind::Radio) {
        const ControlId radio = control.kind == ControlKind::Option ? control.parent : control.id;
        if (control.kind == ControlKind::Radio && line.words.size() < 2)
          return "press a radio group's option: press \"" + line.words[0] + "\" OPTION";
        int option = 0, index = 0;
        for (const ControlView& other : target.controls) {
          if (other.kind != ControlKind::Option || other.parent != radio) continue;
          ++index;
          const bool wanted = line.words.size() > 1
                                  ? NormalControlName(other.text) == NormalControlName(line.words[1])
                                  : other.id == control.id;
          if (wanted) option = index;
        }
        if (option == 0) return "\"" + line.words[0] + "\" has no option \"" + line.words.back() + "\"";
        return driver_.Choose(window, radio, option);
      }
      if (line.words.size() > 1) return "\"" + line.words[0] + "\" is not a radio group";
      return driver_.Press(window, id);
    }
    case Command::Click:
      if (std::string why = resolve(line.words[0]); !why.empty()) return why;
      return driver_.Click(window, id);
    case Command::Tab: {
      int tab = 0;
      if (std::string why = ResolveTab(target, line.words[0], &id, &tab); !why.empty()) return why;
      return driver_.ChooseTab(window, id, tab);
    }
    case Command::Select:
      if (std::string why = resolve(line.words[0]); !why.empty()) return why;
      return driver_.SelectRow(window, id, std::stoi(line.words[1]));
    case Command::Key: {
      if (line.words.size() > 1)
        if (std::string why = resolve(line.words[1]); !why.empty()) return why;
      return driver_.PressKey(window, id, *KeyFromName(line.words[0]));
    }
    case Command::Close:
      return driver_.Close(window);
    case Command::Place:
      return driver_.Place(window, std::stoi(line.words[0]), std::stoi(line.words[1]), std::stoi(line.words[2]),
                           std::stoi(line.words[3]));
    case Command::Maximize:
      return driver_.SetState(window, ShowState::Maximized);
    case Command::Minimize:
      return driver_.SetState(window, ShowState::Minimized);
    case Command::Restore:
      return driver_.SetState(window, ShowState::Normal);
    case Command::SaveReport:
      for (const ControlView& control : target.controls)
        if (control.kind == ControlKind::Pages) {
          if (!control.pages.pages || control.pages.pages->pages.empty()) return "the report preview has no pages";
          return SavePages(*control.pages.pages, line.words[0]);
        }
      return "no report preview: \"" + target.caption + "\" is not one";
    default:
      return "\"" + line.name + "\" cannot be carried out here";
  }
}

std::string ScriptRunner::Expect(const ScriptLine& line, const WindowView& target) {
  ControlId id = 0;
  if (std::string why = ResolveControl(target, line.words[0], &id); !why.empty()) return why;
  const ControlView& control = *ControlOf(target, id);
  auto state = [&](bool holds, const char* wanted, const char* otherwise) {
    return holds ? std::string() : Expected(wanted, otherwise);
  };
  switch (line.command) {
    case Command::ExpectText: {
      const std::string shown = Trim(control.shown);
      return shown == Trim(line.words[1]) ? std::string() : Expected(Trim(line.words[1]), shown);
    }
    case Command::ExpectValue:
      if (!IsScriptNumber(Trim(control.value)))
        return control.value.empty() ? "\"" + line.words[0] + "\" holds no value"
                                     : Expected(line.words[1], Trim(control.value));
      return Decimal::Parse(control.value) == Decimal::Parse(line.words[1])
                 ? std::string()
                 : Expected(line.words[1], Trim(control.value));
    case Command::ExpectChecked:
    case Command::ExpectUnchecked: {
      if (control.kind != ControlKind::Check) return "\"" + line.words[0] + "\" is not a check box";
      const bool wanted = line.command == Command::ExpectChecked;
      return state(control.checked == wanted, wanted ? "checked" : "unchecked", wanted ? "unchecked" : "checked");
    }
    case Command::ExpectRow:
    case Command::ExpectRows:
    case Command::ExpectColumns: {
      if (control.kind != ControlKind::List) return "\"" + line.words[0] + "\" is not a list";
      if (line.command == Command::ExpectRows) {
        const std::string rows = std::to_string(control.rows.size());
        return rows == line.words[1] ? std::string() : Expected(line.words[1], rows);
      }
      if (line.command == Command::ExpectColumns) {
        const std::vector<std::string> wanted(line.words.begin() + 1, line.words.end());
        const std::string expected = Joined(wanted, wanted.size());
        const std::string found = Joined(control.headers, control.headers.size());
        return expected == found ? std::string() : Expected(expected, found);
      }
      const std::size_t row = std::stoul(line.words[1]);
      const std::vector<std::string> wanted(line.words.begin() + 2, line.words.end());
      if (row > control.rows.size())
        return "expected row " + line.words[1] + ", found " + std::to_string(control.rows.size()) + " rows";
      const std::string expected = Joined(wanted, wanted.size());
      const std::string found = Joined(control.rows[row - 1], wanted.size());
      return expected == found ? std::string() : Expected(expected, found);
    }
    case Command::ExpectEnabled:
      return state(control.enabled, "enabled", "disabled");
    case Command::ExpectDisabled:
      return state(!control.enabled, "disabled", "enabled");
    case Command::ExpectHidden:
      return state(!control.visible, "hidden", "visible");
    case Command::ExpectVisible:
      return state(control.visible, "visible", "hidden");
    case Command::ExpectFocus: {
      if (control.focused) return {};
      for (const ControlView& other : target.controls)
        if (other.focused) return Expected(control.name, other.name);
      return Expected(control.name, "no control");
    }
    default:
      return "\"" + line.name + "\" cannot be checked here";
  }
}

std::string ScriptRunner::EndProgram() {
  std::string busy;
  if (driver_.Ended()) return {};
  if (!driver_.WaitIdle(kWaitSeconds, &busy))
    return "at the end: the program is still busy after " + std::to_string(static_cast<int>(kWaitSeconds)) +
           " seconds: " + busy;
  if (std::optional<MessageView> message = driver_.Message())
    return "at the end: unexpected message box: " + message->text;
  int frame = 0;
  for (const WindowView& window : driver_.Windows())
    if (window.kind == WindowKind::Frame) frame = window.handle;
  if (frame != 0) {
    // As the frame's Exit command does: the frame is asked to close.
    if (std::string why = driver_.Close(frame); !why.empty()) return "at the end: closing the frame: " + why;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kWaitSeconds);
  while (!driver_.Ended()) {
    if (!driver_.WaitIdle(kWaitSeconds, &busy))
      return "at the end: the program is still busy after " + std::to_string(static_cast<int>(kWaitSeconds)) +
             " seconds: " + busy;
    if (driver_.Ended()) break;
    if (std::optional<MessageView> message = driver_.Message())
      return "at the end: closing the frame asked: " + message->text;
    if (std::chrono::steady_clock::now() >= deadline)
      return "at the end: the program did not end when its frame was closed (open: " +
             OpenTitles(driver_.Windows()) + ")";
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {};
}

}  // namespace zelvo
