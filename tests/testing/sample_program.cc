#include "tests/testing/sample_program.h"

#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {
namespace {

#define ZELVO_SAMPLE_FIELDS(FIELD) \
  FIELD(FAM, String(20))           \
  FIELD(DATA, Date())              \
  FIELD(SUMMA, Decimal(9, 2))      \
  FIELD(DETI, Byte())              \
  FIELD(WORK, Byte())              \
  FIELD(POL, String(1))
ZELVO_DECLARE_FIELDS(Sample, SMP, ZELVO_SAMPLE_FIELDS);

std::string T(std::string_view utf8) { return Cp1251Literal(utf8); }

bool Closing(const Event& e) {
  return e.number == EventNumber::CloseWindow || e.number == EventNumber::CloseDown;
}

unsigned Ask(std::string_view text, std::string_view caption, unsigned buttons) {
  MessageBoxRequest request;
  request.text = T(text);
  request.caption = T(caption);
  request.icon = MessageIcon::Question;
  request.buttons = buttons;
  request.defaultButton = kButtonYes;
  return TheWindowRuntime().Show(request);
}

}  // namespace

SampleProgram::SampleProgram() : record_(SampleFields::kLayout) {}

void SampleProgram::Main() {
  WindowDefinition definition("Main", T("Пример"), WindowKind::Frame);
  definition.BeginMenu(T("&Файл"));
  definition.MenuItem(T("&Выход"), "Exit this application", StandardAction::Exit);
  definition.End();
  definition.BeginMenu(T("&Данные"));
  const ControlId anketa = definition.MenuItem(T("&Анкета"));
  const ControlId spisok = definition.MenuItem(T("&Список"));
  const ControlId report = definition.MenuItem(T("&Отчет"));
  definition[report].disabled = true;
  definition.End();
  std::unique_ptr<Window> frame = TheWindowRuntime().Open(definition);
  TheWindowRuntime().SetStatusText(T("Готово"));
  for (Event e = frame->NextEvent(); e.number != EventNumber::None; e = frame->NextEvent()) {
    if (e.number == EventNumber::Accepted && e.control == anketa)
      (void)TheWindowRuntime().StartProcedure([this] { Anketa(); }, 25000);
    if (e.number == EventNumber::Accepted && e.control == spisok)
      (void)TheWindowRuntime().StartProcedure([this] { Spisok(); }, 25000);
    if (e.number == EventNumber::CloseWindow) frame->Close();
  }
}

void SampleProgram::Anketa() {
  record_.Clear();
  WindowDefinition w("Anketa", T("Анкета"));
  w.Entry(T("&Фамилия:"), FieldBinding("SMP:FAM", record_, SMP.FAM), "@s20");
  w.Entry(T("&Дата:"), FieldBinding("SMP:DATA", record_, SMP.DATA), "@d6.");
  w.Entry(T("&Сумма:"), FieldBinding("SMP:SUMMA", record_, SMP.SUMMA), "@n_10.2");
  w.Spin(T("Д&ети:"), FieldBinding("SMP:DETI", record_, SMP.DETI), "@n2", Decimal(0), Decimal(10));
  w.Check(T("&Работает"), FieldBinding("SMP:WORK", record_, SMP.WORK));
  w.Radio(T("Пол"), FieldBinding("SMP:POL", record_, SMP.POL), {{T("&Мужской"), T("М")}, {T("&Женский"), T("Ж")}});
  const ControlId ok = w.Button(T("&Ввод"), ButtonRole::Ok);
  const ControlId cancel = w.Button(T("&Отмена"), ButtonRole::Cancel);
  std::unique_ptr<Window> window = TheWindowRuntime().Open(w);
  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
    if (e.number == EventNumber::Accepted && e.control == ok) window->SelectAll();
    if (e.number == EventNumber::Rejected) window->Beep();
    if (e.number == EventNumber::Completed) {
      const unsigned answer = Ask("Сохранить запись?", "Анкета", kButtonYes | kButtonNo | kButtonCancel);
      if (answer == kButtonYes) saved_.push_back(record_);
      if (answer != kButtonCancel) window->Close();
    }
    if ((e.number == EventNumber::Accepted && e.control == cancel) || Closing(e)) window->Close();
  }
}

void SampleProgram::Spisok() {
  WindowDefinition w("Spisok", T("Список"));
  const ControlId list = w.List("list", {{T("Фамилия"), "@s20"}, {T("Сумма"), "@n_10.2"}}, 5);
  const ControlId add = w.Button(T("&Добавить"));
  const ControlId remove = w.Button(T("&Удалить"));
  const ControlId close = w.Button(T("&Закрыть"), ButtonRole::Cancel);
  std::unique_ptr<Window> window = TheWindowRuntime().Open(w);
  auto fill = [&] {
    std::vector<ListRow> rows;
    const Picture name = *Picture::Parse("@s20"), amount = *Picture::Parse("@n_10.2");
    for (const RecordBuffer& r : saved_)
      rows.push_back({name.FormatText(SMP.FAM.ValueText(r)), amount.Format(Decimal::Parse(SMP.SUMMA.ValueText(r)))});
    window->SetRows(list, std::move(rows));
    if (window->Selection(list) == 0 && window->RowCount(list) > 0) window->Select(list, 1);
    window->Enable(remove, window->RowCount(list) > 0);
  };
  fill();
  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
    if (e.number == EventNumber::ScrollDown) window->Select(list, window->Selection(list) + 1);
    if (e.number == EventNumber::ScrollUp && window->Selection(list) > 1)
      window->Select(list, window->Selection(list) - 1);
    if (e.number == EventNumber::Accepted && e.control == add) {
      Anketa();
      fill();
    }
    if (e.number == EventNumber::Accepted && e.control == remove && window->Selection(list) > 0 &&
        Ask("Удалить запись?", "Список", kButtonYes | kButtonNo) == kButtonYes) {
      saved_.erase(saved_.begin() + (window->Selection(list) - 1));
      fill();
    }
    if ((e.number == EventNumber::Accepted && e.control == close) || Closing(e)) window->Close();
  }
}

std::vector<std::string> SampleProgram::Saved() const {
  std::vector<std::string> lines;
  for (const RecordBuffer& r : saved_) {
    std::string line;
    for (const std::string& value : {SMP.FAM.ValueText(r), SMP.DATA.ValueText(r), SMP.SUMMA.ValueText(r),
                                     SMP.DETI.ValueText(r), SMP.WORK.ValueText(r), SMP.POL.ValueText(r)})
      line += (line.empty() ? "" : ";") + Cp1251ToUtf8(value);
    lines.push_back(line);
  }
  return lines;
}

}  // namespace zelvo
