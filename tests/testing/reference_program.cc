#include "tests/testing/reference_program.h"

#include <map>

#include "core/dictionary.h"
#include "core/dictionary_setup.h"
#include "core/windows/frame/menu_commands.h"
#include "core/startup/program_objects.h"
#include "core/windows/reference/obekt.h"
#include "core/windows/reference/uchastok.h"
#include "core/windows/table_browse.h"
#include "framework/window/record_action.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {
namespace {

#define ZELVO_PICK_FIELDS(FIELD) FIELD(ANSWER, Byte())
ZELVO_DECLARE_FIELDS(Pick, PCK, ZELVO_PICK_FIELDS);

std::string T(std::string_view utf8) { return Cp1251Literal(utf8); }

// A form that opens the pickers as their callers do and shows what they
// chose; "Просмотр" opens the object form to view the object chosen last.
void Pick() {
  RecordBuffer answer(PickFields::kLayout);
  WindowDefinition w("Pick", T("Выбор"));
  const ControlId obekt = w.Entry(T("Объект:"), FieldBinding("OBE:OBEKT", managers::OBEKT->Buffer(), OBE.OBEKT), "@s20");
  const ControlId uchastok =
      w.Entry(T("Участок:"), FieldBinding("UCH:UCHASTOK", managers::UCHASTOK->Buffer(), UCH.UCHASTOK), "@s20");
  const ControlId response = w.Entry(T("Ответ:"), FieldBinding("ANSWER", answer, PCK.ANSWER), "@n1");
  for (ControlId shown : {obekt, uchastok, response}) w[shown].readOnly = true;
  const ControlId pickObekt = w.Button(T("Выбрать &объект"));
  const ControlId pickUchastok = w.Button(T("Выбрать &участок"));
  const ControlId view = w.Button(T("&Просмотр"));
  const ControlId close = w.Button(T("Закрыть"), ButtonRole::Cancel);
  std::unique_ptr<Window> window = TheWindowRuntime().Open(w);
  for (Event e = window->NextEvent(); e.number != EventNumber::None; e = window->NextEvent()) {
    if (e.number == EventNumber::Accepted && (e.control == pickObekt || e.control == pickUchastok)) {
      PendingRequest = RecordAction::Select;
      (e.control == pickObekt ? Obekt : Uchastok)();
      (void)PCK.ANSWER.Set(answer, LastResponse);
      window->Display();
    }
    if (e.number == EventNumber::Accepted && e.control == view) {
      PendingRequest = RecordAction::View;
      ObektUp();
      (void)PCK.ANSWER.Set(answer, LastResponse);
      window->Display();
    }
    if ((e.number == EventNumber::Accepted && e.control == close) || e.number == EventNumber::CloseWindow ||
        e.number == EventNumber::CloseDown)
      window->Close();
  }
}

}  // namespace

void ReferenceProgram::Main() {
  ProgramObjects objects(TheWindowRuntime());
  WindowDefinition definition("Main", T("РАСЧЕТ ЗАРПЛАТЫ"), WindowKind::Frame);
  definition.BeginMenu(T("&Файл"));
  definition.MenuItem(T("&Выход"), "", StandardAction::Exit);
  definition.End();
  std::map<ControlId, ProcedureFunction> procedures;
  std::string_view menu;
  for (const MenuCommand& command : MenuCommands()) {
    if (command.run == nullptr) continue;
    if (command.menu != menu) {
      if (!menu.empty()) definition.End();
      definition.BeginMenu(T(command.menu));
      menu = command.menu;
    }
    procedures[definition.MenuItem(T(command.item))] = command.run;
  }
  if (!menu.empty()) definition.End();
  definition.BeginMenu(T("&Проба"));
  procedures[definition.MenuItem(T("&Выбор"))] = Pick;
  definition.End();

  std::unique_ptr<Window> frame = TheWindowRuntime().Open(definition);
  for (Event e = frame->NextEvent(); e.number != EventNumber::None; e = frame->NextEvent()) {
    if (e.number == EventNumber::Accepted && procedures.contains(e.control))
      (void)TheWindowRuntime().StartProcedure(procedures[e.control], 25000);
    if (e.number == EventNumber::CloseWindow) frame->Close();
  }
}

}  // namespace zelvo
