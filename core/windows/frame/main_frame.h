// Main: the procedure of the program's frame — the multiple-document window
// "РАСЧЕТ ЗАРПЛАТЫ" with the program's icon, whose menu is the only way into
// the program's functions:
//
//   &Файл                &Установка принтера (the platform's printer set-up), &Выход
//   &Базовые данные .. &Сервис   the function items of core/windows/frame/menu_commands.h
//   &Окно                &Часть (tile), &Каскад (cascade), &Выровнить (arrange icons)
//
// A function item starts its procedure on a new procedure thread with a
// 25000-byte stack and returns at once; choosing it again opens another,
// independent copy. While 63 such procedures run, a further start opens
// nothing and says nothing. An item whose procedure is not built yet is
// disabled. The frame's placement is kept in the settings store under "Main".
// Closing the frame closes every window inside it, and Main returns.
//
// REQUIRES: the program objects alive (core/startup/program_objects.h) and a
// window runtime installed; runs on the program's first procedure thread.
#pragma once

#include <cstddef>
#include <span>

#include "core/windows/frame/menu_commands.h"

namespace zelvo {

inline constexpr std::size_t kMenuProcedureStack = 25000;

// The frame with the program's function items.
void Main();
// The frame with `commands` as its function items (tests give their own).
void RunMainFrame(std::span<const MenuCommand> commands);

}  // namespace zelvo
