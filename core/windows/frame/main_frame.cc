#include "core/windows/frame/main_frame.h"

#include <utility>
#include <vector>

#include "core/windows/frame/menu_commands.h"
#include "core/startup/program_objects.h"
#include "framework/window/window_procedure.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"

namespace zelvo {
namespace {

class MainFrame final : public WindowProcedure {
 public:
  explicit MainFrame(std::span<const MenuCommand> commands)
      : WindowProcedure("Main", ProgramErrors(), ProgramSettings()), commands_(commands) {}

 protected:
  WindowDefinition DefineWindow() override {
    WindowDefinition w("Main", Cp1251Literal("РАСЧЕТ ЗАРПЛАТЫ"), WindowKind::Frame);
    w.BeginMenu(Cp1251Literal("&Файл"));
    w.MenuItem(Cp1251Literal("&Установка принтера"), "Setup Printer", StandardAction::PrinterSetup);
    w.MenuItem(Cp1251Literal("&Выход"), "Exit this application", StandardAction::Exit);
    w.End();

    items_.clear();
    std::string_view open;  // the function menu being filled
    for (const MenuCommand& command : commands_) {
      if (command.menu != open) {
        if (!open.empty()) w.End();
        w.BeginMenu(Cp1251Literal(command.menu));
        open = command.menu;
      }
      const ControlId item = w.MenuItem(Cp1251Literal(command.item));
      w[item].name = std::string(command.procedure);
      w[item].disabled = command.run == nullptr;
      items_.emplace_back(item, command.run);
    }
    if (!open.empty()) w.End();

    w.BeginMenu(Cp1251Literal("&Окно"), "Create and Arrange windows");
    w.MenuItem(Cp1251Literal("&Часть"), "Make all open windows visible", StandardAction::Tile);
    w.MenuItem(Cp1251Literal("&Каскад"), "Stack all open windows", StandardAction::Cascade);
    w.MenuItem(Cp1251Literal("&Выровнить"), "Align all window icons", StandardAction::ArrangeIcons);
    w.End();
    return w;
  }

  // A function item starts its procedure before the controller sees the
  // event; nothing is awaited, and a start refused at the thread limit is
  // left unsaid.
  Level OnAccepted(const Event& event) override {
    for (const auto& [item, run] : items_) {
      if (item == event.control && run != nullptr) {
        (void)TheWindowRuntime().StartProcedure(run, kMenuProcedureStack);
        return LevelOk;
      }
    }
    return WindowProcedure::OnAccepted(event);
  }

 private:
  std::span<const MenuCommand> commands_;
  std::vector<std::pair<ControlId, void (*)()>> items_;
};

}  // namespace

void Main() { RunMainFrame(MenuCommands()); }

void RunMainFrame(std::span<const MenuCommand> commands) { MainFrame(commands).RunWindow(); }

}  // namespace zelvo
