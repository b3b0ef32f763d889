// How a script line names a control: prompt, own text, field, variable,
// @ok/@cancel, list numbers, NAME#N, and the errors that name the candidates.
#include <gtest/gtest.h>

#include "app/script/control_names.h"

namespace zelvo {
namespace {

ControlView Control(ControlId id, ControlKind kind, std::string name, std::string text = {}, std::string prompt = {},
                    ButtonRole role = ButtonRole::None) {
  ControlView view;
  view.id = id;
  view.kind = kind;
  view.name = std::move(name);
  view.text = std::move(text);
  view.prompt = std::move(prompt);
  view.role = role;
  return view;
}

WindowView Form() {
  WindowView form;
  form.caption = "Изменить запись";
  form.controls = {
      Control(1, ControlKind::Prompt, "&Дата:", "&Дата:"),
      Control(2, ControlKind::Entry, "DNI:DATA", "", "&Дата:"),
      Control(3, ControlKind::Entry, "SDE:CASY[15]", "", "Часы:"),
      Control(4, ControlKind::Entry, "dat"),
      Control(5, ControlKind::List, "?List"),
      Control(6, ControlKind::Radio, "BAS:POL", "Пол", "Пол"),
      Control(7, ControlKind::Option, "&Мужской", "&Мужской"),
      Control(8, ControlKind::List, "?List2"),
      Control(9, ControlKind::Button, "Ввод", "&Ввод", "", ButtonRole::Ok),
      Control(10, ControlKind::Button, "&Отмена", "&Отмена", "", ButtonRole::Cancel),
      Control(11, ControlKind::Button, "Итог", "Итог"),
      Control(12, ControlKind::Prompt, "Итог", "Итог"),
      Control(13, ControlKind::Prompt, "Подсказка", "Подсказка"),
  };
  return form;
}

TEST(ControlNames, EachWayOfNamingFindsItsControl) {
  const WindowView form = Form();
  struct Case {
    std::string name;
    ControlId id;
  };
  const Case cases[] = {
      {"Дата:", 2},  {" &Дата ", 2}, {"DNI:DATA", 2}, {"SDE:CASY[15]", 3}, {"Часы", 3},     {"dat", 4},
      {"list", 5},   {"list2", 8},   {"Пол", 6},      {"BAS:POL", 6},      {"Мужской", 7},  {"@ok", 9},
      {"Ввод", 9},   {"@cancel", 10}, {"Отмена:", 10}, {"Итог#2", 12},      {"Подсказка", 13},
  };
  for (const Case& c : cases) {
    ControlId id = 0;
    EXPECT_EQ(ResolveControl(form, c.name, &id), "") << c.name;
    EXPECT_EQ(id, c.id) << c.name;
  }
}

TEST(ControlNames, ANameThatFitsNoneOrSeveralNamesTheCandidates) {
  const WindowView form = Form();
  ControlId id = 0;
  EXPECT_EQ(ResolveControl(form, "Дата2", &id), "no control \"Дата2\" in \"Изменить запись\"");
  EXPECT_EQ(ResolveControl(form, "DAT", &id), "no control \"DAT\" in \"Изменить запись\"") << "case counts";
  EXPECT_EQ(ResolveControl(form, "list3", &id), "no control \"list3\" in \"Изменить запись\"");
  EXPECT_EQ(ResolveControl(form, "Итог", &id),
            "\"Итог\" names 2 controls in \"Изменить запись\": button Итог, prompt Итог; name one as NAME#N");
  EXPECT_EQ(ResolveControl(form, "Итог#3", &id),
            "\"Итог#3\": 2 controls are named \"Итог\" in \"Изменить запись\": button Итог, prompt Итог");
}

TEST(ControlNames, ATabIsFoundByItsTextWithItsPlaceInItsSheet) {
  WindowView window;
  window.caption = "Сотрудник";
  window.controls = {Control(1, ControlKind::Sheet, "?Sheet"), Control(2, ControlKind::Tab, "&Общие", "&Общие"),
                     Control(3, ControlKind::Tab, "&Адрес", "&Адрес")};
  window.controls[1].parent = window.controls[2].parent = 1;
  ControlId sheet = 0;
  int tab = 0;
  EXPECT_EQ(ResolveTab(window, "Адрес", &sheet, &tab), "");
  EXPECT_EQ(sheet, 1);
  EXPECT_EQ(tab, 2);
  EXPECT_EQ(ResolveTab(window, "Прочее", &sheet, &tab), "no tab \"Прочее\" in \"Сотрудник\"");
}

}  // namespace
}  // namespace zelvo
