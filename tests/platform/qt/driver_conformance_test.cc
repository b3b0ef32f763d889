// One session of user actions run on both back ends, through the one user
// driver interface: what the headless driver finds in the window model, the
// Qt driver must find on the real widgets, after the same clicks and keys.
#include <gtest/gtest.h>

#include <functional>

#include "platform/headless/headless_session.h"
#include "platform/qt/qt_session.h"
#include "sample_program.h"

namespace zelvo::testing {
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

    // A spin box steps by its keys; a click gives a check box the focus, a press ticks it.
    ASSERT_EQ(driver.PressKey(handle, Control("Form", "TF:DET").id, NamedKey{kUp, 0}), "");
    ASSERT_EQ(driver.PressKey(handle, 0, NamedKey{kUp, 0}), "");
    ASSERT_EQ(driver.Click(handle, Control("Form", "TF:PENS").id), "");
    Idle();
    EXPECT_EQ(Trimmed(Control("Form", "TF:DET").shown), "2");
    EXPECT_TRUE(Control("Form", "TF:PENS").focused);
    EXPECT_FALSE(Control("Form", "TF:PENS").checked);
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

    // A taller window shows more rows.
    const WindowView before = *Window("Form");
    ASSERT_EQ(driver.Place(handle, before.x, before.y, before.width, before.height + 100), "");
    Idle();
    EXPECT_GT(Control("Form", "list").visibleRows, 3);
    EXPECT_EQ(Window("Form")->height, before.height + 100);

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
  HeadlessSession session(SampleMain);
  User{session.driver()}.Session();
  EXPECT_EQ(session.Finish(), 0);
}

TEST(DriverConformanceTest, QtSessionOnTheRealWidgets) {
  const int status = RunQtSession(SampleMain, [](UserDriver& driver) { User{driver}.Session(); });
  EXPECT_EQ(status, 0);
}

}  // namespace
}  // namespace zelvo::testing
