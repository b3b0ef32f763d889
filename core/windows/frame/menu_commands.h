// MenuCommands: the function items of the main frame's menu — the four menus
// between "&Файл" and "&Окно", in the order the menu shows them — each with
// the procedure its item starts on a thread of its own.
//
// One line per item. A window procedure, once built, puts its entry in its
// line, and the frame shows the item enabled; an item whose procedure is not
// built yet has none and is shown disabled, never as a window that pretends.
//
//     {"&Базовые данные", "&Константы", "Konst", &Konst},
//
// An entry is a plain function that runs the whole procedure (its window,
// its event loop, its closing) and returns when the window has closed; it
// reaches the program's objects through core/startup/program_objects.h.
#pragma once

#include <span>
#include <string_view>

namespace zelvo {

struct MenuCommand {
  std::string_view menu;       // UTF-8 with its "&" mnemonic: "&Базовые данные"
  std::string_view item;       // "&Константы"
  std::string_view procedure;  // the procedure's name: "Konst"
  void (*run)();               // nullptr while the procedure is not built
};

std::span<const MenuCommand> MenuCommands();

}  // namespace zelvo
