// One session of user actions run on both back ends, through the one user
// driver interface: what the headless driver finds in the window model, the
// Qt driver must find on the real widgets, after the same clicks and keys.
#include <gtest/gtest.h>

#include <functional>

#include "platform/headless/headless_session.h"
#include "platform/qt/qt_session.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "storage/declare_fields.h"

namespace zelvo {
namespace {

#define ZELVO_TEST_FORM_FIELDS(FIELD) \
  FIELD(FAM, String(20))              \
  FIELD(OKLAD, Decimal(9, 2))         \
  FIELD(DATA, Date())                 \
  FIELD(PENS, Byte())                 \
  FIELD(POL, Byte())
ZELVO_DECLARE_FIELDS(TestForm, TF, ZELVO_TEST_FORM_FIELDS);

std::string Cp(const char* utf8) { return Cp1251Literal(utf8); }

// The form: entries of a text, an amount and a date, a check box, a radio
// group, a list the program fills, and buttons; OK asks before it closes.
void Form() {
  RecordBuffer record(kTestFormFields);
  WindowDefinition w("Form", Cp("Анкета"));
  const ControlId surname = w.Entry(Cp("Фамилия:"), FieldBinding("TF:FAM", record, TF.FAM), "@s20");
  w.Entry(Cp("Оклад:"), FieldBinding("TF:OKLAD", record, TF.OKLAD), "@n_10.2");
  w.Entry(Cp("Дата:"), FieldBinding("TF:DATA", record, TF.DATA), "@d6.");
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

void Main() {
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
    if (e.number == EventNumber::Accepted && e.control == form) (void)TheWindowRuntime().StartProcedure(Form, 25000);
    if (e.number == EventNumber::CloseWindow) frame->Close();
  }
}

// The user's side, the same on both back ends.
struct User {
  UserDriver& driver;

  void Idle() {
    std::string busy;
    ASSERT_TRUE(driver.WaitIdle(10, &busy)) << busy;
  }
  std::optional<WindowView> Window(const std::string& procedure) {
    for (WindowView& view : driver.Windows())
      if (view.procedure == procedure) return view;
    return std::nullopt;
  }
  ControlView Control(const std::string& procedure, const std::string& name) {
    std::optional<WindowView> window = Window(procedure);
    if (window)
      for (const ControlView& control : window->controls)
        if (control.name == name || control.prompt == name) return control;
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  }
  std::vector<std::string> Row(const ControlView& list, std::size_t row) {
    std::vector<std::string> texts;
    for (const std::string& text : list.rows.at(row)) texts.push_back(Trimmed(text));
    return texts;
  }

  void Session() {
    Idle();
    EXPECT_EQ(driver.ChooseMenu({"Окна", "Отчет"}), "the menu item \"Окна/Отчет\" is disabled");
    ASSERT_EQ(driver.ChooseMenu({"Окна", "Анкета"}), "");
    Idle();
    std::optional<WindowView> form = Window("Form");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->caption, "Анкета");
    EXPECT_TRUE(form->active);
    const int handle = form->handle;
    ControlView list = Control("Form", "list");
    EXPECT_EQ(list.headers, (std::vector<std::string>{"Фамилия", "Оклад"}));
    EXPECT_EQ(list.visibleRows, 3);
    EXPECT_TRUE(Control("Form", "TF:FAM").focused);

    // Typing through the pictures; a refused text keeps the focus where it is.
    ASSERT_EQ(driver.Type(handle, Control("Form", "TF:FAM").id, "Петров"), "");
    ASSERT_EQ(driver.Type(handle, Control("Form", "TF:OKLAD").id, "8500"), "");
    ASSERT_EQ(driver.Type(handle, Control("Form", "TF:DATA").id, "1.3.2004"), "");
    Idle();
    EXPECT_EQ(Trimmed(Control("Form", "TF:FAM").shown), "Петров");
    EXPECT_EQ(Trimmed(Control("Form", "TF:OKLAD").shown), "8500.00");
    EXPECT_EQ(Control("Form", "TF:OKLAD").value, "8500");
    EXPECT_EQ(Trimmed(Control("Form", "TF:DATA").shown), "1.03.2004");
    ASSERT_EQ(driver.Type(handle, Control("Form", "TF:DATA").id, "31.02.2004"), "");
    Idle();
    EXPECT_TRUE(Control("Form", "TF:DATA").focused);
    EXPECT_EQ(Trimmed(Control("Form", "TF:DATA").shown), "31.02.2004");
    ASSERT_EQ(driver.Type(handle, Control("Form", "TF:DATA").id, "2.3.2004"), "");

    // A check box and a radio group show the model's answer.
    ASSERT_EQ(driver.Press(handle, Control("Form", "TF:PENS").id), "");
    ASSERT_EQ(driver.Choose(handle, Control("Form", "TF:POL").id, 2), "");
    Idle();
    EXPECT_TRUE(Control("Form", "TF:PENS").checked);
    EXPECT_EQ(Control("Form", "TF:POL").shown, "Женский");
    EXPECT_EQ(Control("Form", "TF:POL").value, "2");

    // The list: a button, an alerted key and a mnemonic add rows; a click selects.
    ASSERT_EQ(driver.Press(handle, Control("Form", "&Добавить").id), "");
    ASSERT_EQ(driver.PressKey(handle, list.id, NamedKey{kInsert, 0}), "");
    Idle();
    ASSERT_EQ(driver.PressKey(handle, 0, *KeyFromName("Alt+Д")), "");
    Idle();
    list = Control("Form", "list");
    ASSERT_EQ(list.rows.size(), 4u);
    EXPECT_EQ(Row(list, 1), (std::vector<std::string>{"Петров", "8500"}));
    EXPECT_NE(driver.SelectRow(handle, list.id, 5), "");
    ASSERT_EQ(driver.SelectRow(handle, list.id, 2), "");
    Idle();
    EXPECT_EQ(Control("Form", "list").selection, 2);
    EXPECT_TRUE(Control("Form", "list").focused);
    EXPECT_EQ(driver.StatusText(), "Строка 2");

    // OK asks; No keeps the window, Yes closes it.
    ASSERT_EQ(driver.Press(handle, Control("Form", "&Ввод").id), "");
    Idle();
    std::optional<MessageView> message = driver.Message();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "Записать анкету?\nОкно закроется.");
    EXPECT_EQ(message->buttons, (std::vector<std::string>{"Yes", "No"}));
    EXPECT_FALSE(Window("Form")->takesInput);
    EXPECT_NE(driver.Press(handle, Control("Form", "&Добавить").id), "");
    EXPECT_NE(driver.Answer("Cancel"), "");
    ASSERT_EQ(driver.Answer("no"), "");
    Idle();
    EXPECT_FALSE(driver.Message());
    ASSERT_TRUE(Window("Form"));
    ASSERT_EQ(driver.PressKey(handle, 0, NamedKey{kEnter, 0}), "");  // Enter presses the default button
    Idle();
    ASSERT_EQ(driver.Answer("Yes"), "");
    Idle();
    EXPECT_FALSE(Window("Form"));

    ASSERT_EQ(driver.ChooseMenu({"Файл", "Выход"}), "");
    Idle();
    EXPECT_TRUE(driver.Ended());
  }
};

TEST(DriverConformanceTest, HeadlessSession) {
  HeadlessSession session(Main);
  User{session.driver()}.Session();
  EXPECT_EQ(session.Finish(), 0);
}

TEST(DriverConformanceTest, QtSessionOnTheRealWidgets) {
  const int status = RunQtSession(Main, [](UserDriver& driver) { User{driver}.Session(); });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zelvo
