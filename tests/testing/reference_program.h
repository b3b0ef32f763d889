// ReferenceProgram: the payroll's windows that are built, in a program of
// their own, for tests that drive them through scripted sessions on either
// back end — the program's objects over the current folder, and a frame
// whose menu starts each window on a thread of its own:
//
//   frame "РАСЧЕТ ЗАРПЛАТЫ": "&Файл/&Выход"; the main menu's items whose
//     procedure is built (core/windows/frame/menu_commands.h), "&Базовые данные/
//     &Константы" and so on
//   "&Проба/&Выбор" (Pick, "Выбор"): a form that picks as the pay-line and
//     employee forms do: entries "Объект:" (OBE:OBEKT) and "Участок:"
//     (UCH:UCHASTOK), read-only, "Ответ:" the picker's LastResponse, and
//     buttons "Выбрать &объект" and "Выбрать &участок" that open the picker with request 4,
//     "&Просмотр" that opens ObektUp with request 6 on the object chosen last
//
// Texts are CP1251 inside, as in the program.
#pragma once

namespace zelvo {

class ReferenceProgram {
 public:
  // The program: its objects made, the frame and its menu until the frame
  // closes, the objects released.
  void Main();
};

}  // namespace zelvo
