// A small program for the back ends' tests: a frame with its menu and a form
// with entries of several pictures, a check box, a radio group, a list the
// program fills, buttons, and a message box before OK closes it.
//
//   Main   the frame "Проверка": "&Файл/&Выход", "&Окна/&Анкета" (starts
//          Form on a thread of its own), "&Окна/&Отчет" (disabled)
//   Form   "Анкета": Фамилия @s20, Оклад @n_10.2, Дата @d6., Иждивенцев (a
//          spin box 0..9), &Пенсионер,
//          Пол (&Мужской, &Женский), a list of Фамилия and Оклад with 3 rows
//          (Insert adds a row, as "&Добавить" does; a row chosen shows its
//          number in the status bar), "&Ввод" asks "Записать анкету?" and
//          closes on Yes, "&Отмена" closes
#pragma once

namespace zelvo::testing {

void SampleMain();
void SampleForm();

}  // namespace zelvo::testing
