#include "tests/platform/qt/qt_test_support.h"

#include <QDir>
#include <QTest>
#include <QWidget>

#include "runtime/cp1251.h"

namespace zelvo::testing {

std::string Cp(const char* utf8) { return Cp1251Literal(utf8); }

std::unique_ptr<WindowDefinition> SampleForm(SampleIds* ids) {
  auto form = std::make_unique<WindowDefinition>("SotrudnikUp", Cp("Сотрудник"));
  WindowDefinition& w = *form;
  SampleIds& id = *ids;
  id.surname = w.Entry(Cp("Фамилия:"), FieldBinding(), "@s20");
  id.salary = w.Entry(Cp("Оклад:"), FieldBinding(), "@n_10.2");
  id.hired = w.Entry(Cp("Дата приема:"), FieldBinding(), "@d6.");
  id.dependants = w.Spin(Cp("Иждивенцев:"), FieldBinding(), "@n2", Decimal(0), Decimal(9));
  id.pensioner = w.Check(Cp("&Пенсионер"), FieldBinding());
  id.sex = w.Radio(Cp("Пол"), FieldBinding(), {{Cp("&Мужской"), "1"}, {Cp("&Женский"), "2"}});
  id.sexMale = id.sex + 1;
  id.sexFemale = id.sex + 2;
  id.list = w.List("list",
                   {{Cp("Таб.№"), "@n5"}, {Cp("Фамилия"), "@s20"}, {Cp("Имя"), "@s20", 0, true},
                    {Cp("Оклад"), "@n_10.2"}},
                   4);
  id.insert = w.Button(Cp("&Добавить"));
  id.change = w.Button(Cp("&Изменить"));
  id.remove = w.Button(Cp("&Удалить"));
  id.sheet = w.BeginSheet("sheet");
  id.firstTab = w.BeginTab(Cp("&Адрес"));
  id.note = w.Entry(Cp("Улица:"), FieldBinding(), "@s30");
  w.End();
  w.BeginTab(Cp("&Дети"));
  w.End();
  w.End();
  id.progress = w.Progress("progress");
  id.ok = w.Button(Cp("&Ввод"), ButtonRole::Ok);
  id.cancel = w.Button(Cp("&Отмена"), ButtonRole::Cancel);
  // Names as bound controls have them.
  w[id.surname].name = "BAS:FAM";
  w[id.salary].name = "BAS:OKLAD";
  w[id.hired].name = "BAS:DATA";
  w[id.dependants].name = "BAS:DET";
  w[id.pensioner].name = "BAS:PENS";
  w[id.sex].name = "BAS:POL";
  w[id.note].name = "BAS:ULICA";
  return form;
}

WindowState StateOf(const WindowDefinition& definition, int handle) {
  WindowState state;
  state.handle = handle;
  state.definition = &definition;
  state.caption = definition.Caption();
  for (const ControlDefinition& control : definition.Controls()) {
    ControlState& shown = state.controls.emplace_back();
    shown.id = control.id;
    shown.text = control.text;
    shown.enabled = !control.disabled;
    shown.visible = !control.hidden;
    shown.readOnly = control.readOnly;
    shown.isDefault = control.isDefault;
    if (control.kind == ControlKind::Sheet) shown.chosen = 1;
  }
  return state;
}

ControlState& Control(WindowState& state, ControlId id) { return state.controls.at(static_cast<std::size_t>(id - 1)); }

std::vector<UserInput> Recorder::Of(UserInput::Kind kind) const {
  std::vector<UserInput> found;
  for (const UserInput& input : inputs)
    if (input.kind == kind) found.push_back(input);
  return found;
}

void ShowActive(QWidget& widget) {
  widget.show();
  widget.activateWindow();
  (void)QTest::qWaitForWindowActive(&widget);
}

void SaveGrab(QWidget& widget, const QString& name) {
  QDir().mkpath(ZELVO_SCREENSHOTS);
  widget.grab().save(QString(ZELVO_SCREENSHOTS) + "/" + name + ".png");
}

}  // namespace zelvo::testing
