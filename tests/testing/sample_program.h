// SampleProgram: a small program on the window runtime, for tests of the
// back ends and of scripted sessions — the same program runs headless and on
// Qt, so one script checks both.
//
//   frame "Пример" (Main): menus "&Файл/&Выход", "&Данные/&Анкета" and
//     "&Данные/&Список" (each on a thread of its own), "&Данные/&Отчет" disabled
//   "Анкета" (Anketa): entries "&Фамилия:" @s20, "&Дата:" @d6., "&Сумма:"
//     @n_10.2, spin "Д&ети:" @n2 0..10, check box "&Работает", radio group
//     "Пол" (Мужской М, Женский Ж), buttons "&Ввод" (OK) and "&Отмена";
//     OK validates the form and asks "Сохранить запись?" (Yes, No, Cancel)
//   "Список" (Spisok): the saved records, list of 5 rows (Фамилия, Сумма),
//     arrows move the selection, "&Добавить" opens Анкета on its own thread,
//     "&Удалить" asks "Удалить запись?" (Yes, No), "&Закрыть" (cancel)
//
// tests/testing/sample_sessions holds scripts that every back end runs on it,
// each to exit status 0 (ZELVO_SAMPLE_SESSIONS is that folder's path).
//
// Texts are CP1251 inside, as in the program. Its state is touched only by
// the run token's holder; read Saved() once the program has ended or while
// holding the token.
#pragma once

#include <string>
#include <vector>

#include "storage/record_buffer.h"

namespace zelvo {

class SampleProgram {
 public:
  SampleProgram();
  // The program: the frame and its menu, until the frame closes.
  void Main();
  // The saved records, one line each: "FAM;DATA;SUMMA;DETI;WORK;POL" (UTF-8,
  // values as field rules compare them).
  std::vector<std::string> Saved() const;

 private:
  void Anketa();
  void Spisok();

  RecordBuffer record_;
  std::vector<RecordBuffer> saved_;
};

}  // namespace zelvo
