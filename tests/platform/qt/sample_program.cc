#include "sample_program.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo::testing {
namespace {

#define ZELVO_TEST_FORM_FIELDS(FIELD) \
  FIELD(FAM, String(20))              \
  FIELD(OKLAD, Decimal(9, 2))         \
  FIELD(DATA, Date())                 \
  FIELD(PENS, Byte())                 \
  FIELD(POL, Byte())                  \
  FIELD(DET, Byte())
ZELVO_DECLARE_FIELDS(TestForm, TF, ZELVO_TEST_FORM_FIELDS);

const auto Cp = Cp1251Literal;

}  // namespace

void SampleForm() {
  RecordBuffer record(kTestFormFields);
  WindowDefinition w("Form", Cp("Анкета"));
  const ControlId surname = w.Entry(Cp("Фамилия:"), FieldBinding("TF:FAM", record, TF.FAM), "@s20");
  w.Entry(Cp("Оклад:"), FieldBinding("TF:OKLAD", record, TF.OKLAD), "@n_10.2");
  w.Entry(Cp("Дата:"), FieldBinding("TF:DATA", record, TF.DATA), "@d6.");
  w.Spin(Cp("Иждивенцев:"), FieldBinding("TF:DET", record, TF.DET), "@n2", Decimal(0), Decimal(9));
  w.Check(Cp("&Пенсионер"), FieldBinding("TF:PENS", record, TF.PENS));
  w.Radio(Cp("Пол"), FieldBinding("TF:POL", record, TF.POL), {{Cp("&Мужской"), "1"}, {Cp("&Женский"), "2"}});
  const ControlId list = w.List("list", {{Cp("Фамилия"), "@s20"}, {Cp("Оклад"), "@n_10.2"}}, 3);
  const ControlId add = w.Button(Cp("&Добавить"));
  const ControlId ok = w.Button(Cp("&Ввод"), ButtonRole::Ok);
  const ControlId cancel = w.Button(Cp("&Отмена"), ButtonRole::Cancel);
  std::vector<ListRow> rows = {{Cp("Иванов"), "    1000.00"}};
  std::unique_ptr<Window> window = TheWindowRuntime().Open(w);
  auto addRow = [&] {
    window->Update();
    rows.push_back({TF.FAM.ValueText(record), TF.OKLAD.ValueText(record)});
    window->SetRows(list, rows);
  };
  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
    switch (e.number) {
      case EventNumber::OpenWindow:
        window->SetRows(list, rows);
        window->Select(list, 1);
        window->Alert(list, kInsert, kInsert);
        window->Focus(surname);
        window->Display();
        break;
      case EventNumber::AlertKey:
        if (e.key == kInsert) addRow();
        break;
      case EventNumber::NewSelection:
        if (e.control == list)
          TheWindowRuntime().SetStatusText(Cp("Строка ") + std::to_string(window->Selection(list)));
        break;
      case EventNumber::Accepted:
        if (e.control == add) addRow();
        if (e.control == cancel) window->Close();
        if (e.control == ok) {
          MessageBoxRequest question{Cp("Записать анкету?|Окно закроется."), Cp("Анкета"), MessageIcon::Question,
                                     kButtonYes | kButtonNo, kButtonYes};
          if (TheWindowRuntime().Show(question) == kButtonYes) window->Close();
        }
        break;
      case EventNumber::CloseWindow:
      case EventNumber::CloseDown:
        window->Close();
        break;
      default:
        break;
    }
  }
}

void SampleMain() {
  WindowDefinition w("Main", Cp("Проверка"), WindowKind::Frame);
  w.BeginMenu(Cp("&Файл"));
  w.MenuItem(Cp("&Выход"), "Exit this application", StandardAction::Exit);
  w.End();
  w.BeginMenu(Cp("&Окна"));
  const ControlId form = w.MenuItem(Cp("&Анкета"), "Open the form");
  const ControlId report = w.MenuItem(Cp("&Отчет"));
  w[report].disabled = true;
  w.End();
  std::unique_ptr<Window> frame = TheWindowRuntime().Open(w);
  for (Event e = frame->NextEvent(); e.number != EventNumber::None; e = frame->NextEvent()) {
    if (e.number == EventNumber::Accepted && e.control == form) (void)TheWindowRuntime().StartProcedure(SampleForm, 25000);
    if (e.number == EventNumber::CloseWindow) frame->Close();
  }
}

}  // namespace zelvo::testing
