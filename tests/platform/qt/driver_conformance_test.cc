// One session of user actions run on both back ends through the one user
// driver interface: what the headless driver finds in the window model, the
// Qt driver must find on the real widgets, after the same clicks and keys.
#include <gtest/gtest.h>

#include "platform/headless/headless_session.h"
#include "platform/qt/qt_session.h"
#include "tests/testing/sample_program.h"

namespace zelvo {
namespace {

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
    if (std::optional<WindowView> window = Window(procedure))
      for (const ControlView& control : window->controls)
        if (control.name == name) return control;
    ADD_FAILURE() << "no control " << name;
    return {};
  }
  static std::string Trimmed(std::string text) {
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
  }
  std::string Shown(const std::string& procedure, const std::string& name) {
    return Trimmed(Control(procedure, name).shown);
  }

  void Session() {
    Idle();
    EXPECT_EQ(driver.ChooseMenu({"Данные", "Отчет"}), "the menu item \"Данные/Отчет\" is disabled");
    EXPECT_EQ(driver.ChooseMenu({"Данные", "Печать"}), "the menu has no item \"Данные/Печать\"");
    EXPECT_EQ(driver.StatusText(), "Готово");
    ASSERT_EQ(driver.ChooseMenu({"Данные", "Анкета"}), "");
    Idle();
    std::optional<WindowView> form = Window("Anketa");
    ASSERT_TRUE(form);
    EXPECT_EQ(form->caption, "Анкета");
    EXPECT_TRUE(form->active);
    const int anketa = form->handle;
    EXPECT_TRUE(Control("Anketa", "SMP:FAM").focused);

    // Typing through the pictures; a refused text keeps the focus where it is.
    ASSERT_EQ(driver.Type(anketa, Control("Anketa", "SMP:FAM").id, "Петров"), "");
    ASSERT_EQ(driver.Type(anketa, Control("Anketa", "SMP:SUMMA").id, "8500"), "");
    ASSERT_EQ(driver.Type(anketa, Control("Anketa", "SMP:DATA").id, "1.3.2004"), "");
    Idle();
    EXPECT_EQ(Shown("Anketa", "SMP:FAM"), "Петров");
    EXPECT_EQ(Shown("Anketa", "SMP:SUMMA"), "8500.00");
    EXPECT_EQ(Control("Anketa", "SMP:SUMMA").value, "8500");
    EXPECT_EQ(Shown("Anketa", "SMP:DATA"), "1.03.2004");
    ASSERT_EQ(driver.Type(anketa, Control("Anketa", "SMP:DATA").id, "31.02.2004"), "");
    Idle();
    EXPECT_TRUE(Control("Anketa", "SMP:DATA").focused);
    EXPECT_EQ(Shown("Anketa", "SMP:DATA"), "31.02.2004");
    ASSERT_EQ(driver.Type(anketa, Control("Anketa", "SMP:DATA").id, "2.3.2004"), "");

    // The spin box steps by its keys; a click gives a check box the focus,
    // a press or its mnemonic ticks it; a radio group takes an option.
    ASSERT_EQ(driver.PressKey(anketa, Control("Anketa", "SMP:DETI").id, NamedKey{kUp, 0}), "");
    Idle();  // as a script waits between its lines: the focus has come to the spin box
    ASSERT_EQ(driver.PressKey(anketa, 0, NamedKey{kUp, 0}), "");
    ASSERT_EQ(driver.Click(anketa, Control("Anketa", "SMP:WORK").id), "");
    Idle();
    EXPECT_EQ(Shown("Anketa", "SMP:DETI"), "2");
    EXPECT_TRUE(Control("Anketa", "SMP:WORK").focused);
    EXPECT_FALSE(Control("Anketa", "SMP:WORK").checked);
    ASSERT_EQ(driver.Press(anketa, Control("Anketa", "SMP:WORK").id), "");
    ASSERT_EQ(driver.Choose(anketa, Control("Anketa", "SMP:POL").id, 2), "");
    Idle();
    EXPECT_TRUE(Control("Anketa", "SMP:WORK").checked);
    EXPECT_EQ(Control("Anketa", "SMP:POL").shown, "Женский");
    EXPECT_EQ(Control("Anketa", "SMP:POL").value, "Ж");
    ASSERT_EQ(driver.PressKey(anketa, 0, *KeyFromName("Alt+Р")), "");
    Idle();
    EXPECT_FALSE(Control("Anketa", "SMP:WORK").checked);

    // OK asks; while it asks the form takes nothing; Cancel keeps the form,
    // Enter (the default button) asks again, Yes saves and closes.
    ASSERT_EQ(driver.Press(anketa, Control("Anketa", "&Ввод").id), "");
    Idle();
    std::optional<MessageView> message = driver.Message();
    ASSERT_TRUE(message);
    EXPECT_EQ(message->text, "Сохранить запись?");
    EXPECT_EQ(message->caption, "Анкета");
    EXPECT_EQ(message->buttons, (std::vector<std::string>{"Yes", "No", "Cancel"}));
    EXPECT_FALSE(Window("Anketa")->takesInput);
    EXPECT_NE(driver.Press(anketa, Control("Anketa", "&Отмена").id), "");
    EXPECT_NE(driver.Answer("Ok"), "");
    ASSERT_EQ(driver.Answer("cancel"), "");
    Idle();
    EXPECT_FALSE(driver.Message());
    ASSERT_EQ(driver.PressKey(anketa, 0, NamedKey{kEnter, 0}), "");
    Idle();
    ASSERT_EQ(driver.Answer("Yes"), "");
    Idle();
    EXPECT_FALSE(Window("Anketa"));

    // The list shows what was saved; a taller window shows more rows.
    ASSERT_EQ(driver.ChooseMenu({"Данные", "Список"}), "");
    Idle();
    std::optional<WindowView> list = Window("Spisok");
    ASSERT_TRUE(list);
    ControlView rows = Control("Spisok", "list");
    EXPECT_EQ(rows.headers, (std::vector<std::string>{"Фамилия", "Сумма"}));
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(Trimmed(rows.rows[0][0]), "Петров");
    EXPECT_EQ(Trimmed(rows.rows[0][1]), "8500.00");
    EXPECT_EQ(rows.visibleRows, 5);
    EXPECT_EQ(driver.SelectRow(list->handle, rows.id, 2), "\"list\" shows 1 rows");
    ASSERT_EQ(driver.SelectRow(list->handle, rows.id, 1), "");
    Idle();
    EXPECT_EQ(Control("Spisok", "list").selection, 1);
    EXPECT_TRUE(Control("Spisok", "list").focused);
    ASSERT_EQ(driver.Place(list->handle, list->x, list->y, list->width, list->height + 100), "");
    Idle();
    EXPECT_GT(Control("Spisok", "list").visibleRows, 5);
    EXPECT_EQ(Window("Spisok")->height, list->height + 100);
    ASSERT_EQ(driver.Press(list->handle, Control("Spisok", "&Удалить").id), "");
    Idle();
    ASSERT_EQ(driver.Answer("No"), "");
    Idle();
    EXPECT_EQ(Control("Spisok", "list").rows.size(), 1u);
    ASSERT_EQ(driver.Close(list->handle), "");
    Idle();
    EXPECT_FALSE(Window("Spisok"));

    ASSERT_EQ(driver.ChooseMenu({"Файл", "Выход"}), "");
    Idle();
    EXPECT_TRUE(driver.Ended());
    EXPECT_TRUE(driver.Windows().empty());
  }
};

TEST(DriverConformanceTest, HeadlessSession) {
  SampleProgram program;
  HeadlessSession session([&] { program.Main(); });
  User{session.driver()}.Session();
  EXPECT_EQ(session.Finish(), 0);
  EXPECT_EQ(program.Saved().size(), 1u);
}

TEST(DriverConformanceTest, QtSessionOnTheRealWidgets) {
  SampleProgram program;
  const int status = RunQtSession([&] { program.Main(); }, [](UserDriver& driver) { User{driver}.Session(); });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(program.Saved().size(), 1u);
}

}  // namespace
}  // namespace zelvo
