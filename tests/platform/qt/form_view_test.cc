// A window's widgets built from its definition and a state: how they are laid
// out, what they show, and what the user's keys and clicks report.
#include <gtest/gtest.h>

#include <QApplication>

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "platform/qt/form_view.h"
#include "platform/qt/list_control.h"
#include "platform/qt/picture_metrics.h"
#include "tests/platform/qt/qt_test_support.h"

namespace zelvo::testing {
namespace {

class FormViewTest : public ::testing::Test {
 protected:
  FormViewTest() : definition_(SampleForm(&id_)), state_(StateOf(*definition_)) {
    Control(state_, id_.surname).text = Cp("Иванов              ");
    Control(state_, id_.salary).text = "   8500.00";
    Control(state_, id_.salary).value = "8500";
    Control(state_, id_.hired).text = " 1.03.2004";
    Control(state_, id_.dependants).text = " 2";
    Control(state_, id_.pensioner).checked = true;
    Control(state_, id_.sex).chosen = 2;
    ControlState& list = Control(state_, id_.list);
    list.rows = {{"    1", Cp("Иванов"), Cp("Иван"), "  8,500.00"}, {"    2", Cp("Петрова"), Cp("Анна"), " 12,000.00"}};
    list.selection = 2;
    list.thumbShown = true;
    list.thumb = 40;
    Control(state_, id_.progress).progress = 60;
    state_.focus = id_.surname;
    view_ = std::make_unique<FormView>(*definition_, recorder_.Reporter());
    view_->Apply(state_, true);
    view_->resize(view_->sizeHint());  // a window shown by itself is kept to a part of the screen
    ShowActive(*view_);
    view_->TakeFocus();
  }

  template <class Widget>
  Widget* Of(ControlId id) const {
    return qobject_cast<Widget*>(view_->Control(id)->Widget());
  }
  QWidget* Focus(ControlId id) const { return view_->Control(id)->FocusTarget(); }
  ListControl& List() const { return dynamic_cast<ListControl&>(*view_->Control(id_.list)); }

  SampleIds id_{};
  std::unique_ptr<WindowDefinition> definition_;
  WindowState state_;
  Recorder recorder_;
  std::unique_ptr<FormView> view_;
};

TEST_F(FormViewTest, LaysPromptsAndEntriesInRowsButtonsInOneRowTheListAsTallAsItsRows) {
  SaveGrab(*view_, "sample-form");
  // The prompt is the entry's label in the form's row; prompts share one column.
  auto* surname = Of<QLineEdit>(id_.surname);
  auto* form = qobject_cast<QFormLayout*>(surname->parentWidget()->layout()->itemAt(0)->layout());
  ASSERT_NE(form, nullptr);
  auto* label = qobject_cast<QLabel*>(form->labelForField(surname));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QString::fromUtf8("Фамилия:"));
  EXPECT_EQ(form->labelForField(Of<QLineEdit>(id_.salary))->x(), label->x());
  // Entries as wide as their pictures: 20 characters against 10.
  const int difference = surname->width() - Of<QLineEdit>(id_.salary)->width();
  EXPECT_NEAR(difference, CharacterWidths(*surname, 10), 2);
  // Buttons in a row, in definition order.
  auto* insert = Of<QPushButton>(id_.insert);
  EXPECT_EQ(Of<QPushButton>(id_.change)->y(), insert->y());
  EXPECT_LT(insert->x(), Of<QPushButton>(id_.remove)->x());
  EXPECT_EQ(Of<QPushButton>(id_.ok)->y(), Of<QPushButton>(id_.cancel)->y());
  // The list shows the rows its definition asks for; a stacked column shares its cell.
  EXPECT_EQ(List().VisibleRows(), 4);
  QTableView& table = *List().Table();
  EXPECT_EQ(table.model()->columnCount(), 3);
  EXPECT_EQ(table.model()->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Фамилия\nИмя"));
  EXPECT_GE(table.columnWidth(1), CharacterWidths(table, 20));
  // A Cyrillic text that fills its picture fits the width the picture gives.
  const QString name = QString::fromUtf8("Необлагаемая сумма мат.помощи");
  EXPECT_GE(CharacterWidths(table, static_cast<int>(name.size())), table.fontMetrics().horizontalAdvance(name));
}

TEST_F(FormViewTest, ShowsTheStateThroughTheWidgets) {
  EXPECT_EQ(Of<QLineEdit>(id_.surname)->text(), QString::fromUtf8("Иванов"));
  EXPECT_EQ(Of<QLineEdit>(id_.salary)->text(), "8500.00");
  EXPECT_EQ(Of<QLineEdit>(id_.salary)->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_TRUE(Of<QCheckBox>(id_.pensioner)->isChecked());
  EXPECT_TRUE(qobject_cast<QRadioButton*>(view_->Control(id_.sexFemale)->Widget())->isChecked());
  EXPECT_FALSE(qobject_cast<QRadioButton*>(view_->Control(id_.sexMale)->Widget())->isChecked());
  const QAbstractItemModel& rows = *List().Table()->model();
  EXPECT_EQ(rows.rowCount(), 2);
  EXPECT_EQ(rows.data(rows.index(1, 1)).toString(), QString::fromUtf8("Петрова\nАнна"));
  EXPECT_EQ(List().Table()->currentIndex().row(), 1);
  EXPECT_EQ(view_->FocusedControl(), id_.surname);

  Control(state_, id_.insert).enabled = false;
  Control(state_, id_.remove).visible = false;
  Control(state_, id_.list).rows.clear();
  Control(state_, id_.list).selection = 0;
  Control(state_, id_.sheet).chosen = 2;
  Control(state_, id_.firstTab).visible = false;
  state_.focus = id_.list;
  view_->Apply(state_, true);
  EXPECT_FALSE(Of<QPushButton>(id_.insert)->isEnabled());
  EXPECT_TRUE(Of<QPushButton>(id_.remove)->isHidden());
  EXPECT_EQ(rows.rowCount(), 0);
  EXPECT_EQ(view_->FocusedControl(), id_.list);

  // The user driver reads what is shown; a control on a hidden tab is not visible.
  const std::vector<ControlView> views = view_->Read();
  const ControlView& salary = views.at(static_cast<std::size_t>(id_.salary - 1));
  EXPECT_EQ(salary.shown, "8500.00");
  EXPECT_EQ(salary.value, "8500");
  EXPECT_EQ(views.at(static_cast<std::size_t>(id_.sex - 1)).shown, "Женский");
  EXPECT_EQ(views.at(static_cast<std::size_t>(id_.sheet - 1)).shown, "Дети");
  EXPECT_FALSE(views.at(static_cast<std::size_t>(id_.note - 1)).visible);
  EXPECT_TRUE(views.at(static_cast<std::size_t>(id_.list - 1)).focused);
  EXPECT_EQ(views.at(static_cast<std::size_t>(id_.list - 1)).headers,
            (std::vector<std::string>{"Таб.№", "Фамилия", "Имя", "Оклад"}));
}

TEST_F(FormViewTest, ClickedChoicesAskTheModelAndShowOnlyItsAnswer) {
  QTest::mouseClick(Of<QCheckBox>(id_.pensioner), Qt::LeftButton);
  QTest::mouseClick(view_->Control(id_.sexMale)->Widget(), Qt::LeftButton);
  QTest::mouseClick(Of<QPushButton>(id_.ok), Qt::LeftButton);
  const std::vector<UserInput> presses = recorder_.Of(UserInput::Kind::Press);
  ASSERT_EQ(presses.size(), 2u);
  EXPECT_EQ(presses[0].control, id_.pensioner);
  EXPECT_EQ(presses[1].control, id_.ok);
  const std::vector<UserInput> choices = recorder_.Of(UserInput::Kind::Choose);
  ASSERT_EQ(choices.size(), 1u);
  EXPECT_EQ(choices[0].control, id_.sex);
  EXPECT_EQ(choices[0].value, 1);
  // Nothing changed until the model says so.
  EXPECT_TRUE(Of<QCheckBox>(id_.pensioner)->isChecked());
  EXPECT_FALSE(qobject_cast<QRadioButton*>(view_->Control(id_.sexMale)->Widget())->isChecked());
  // Each click gave its control the focus first.
  const std::vector<UserInput> focus = recorder_.Of(UserInput::Kind::Focus);
  ASSERT_EQ(focus.size(), 3u);
  EXPECT_EQ(focus[1].control, id_.sex);
}

// The keys the model owns go to it and never reach the widget; typing stays
// with an entry and is reported as its new text.
TEST_F(FormViewTest, ReportsTheKeysTheModelOwns) {
  struct Case {
    const char* what;
    ControlId SampleIds::*control;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    UserInput::Kind kind;
    KeyCode code;
    const char* character;  // UTF-8, "" none
  };
  using K = UserInput::Kind;
  const Qt::KeyboardModifiers none = Qt::NoModifier;
  const Case cases[] = {
      {"Tab", &SampleIds::surname, Qt::Key_Tab, none, "", K::Key, kTab, ""},
      {"Shift+Tab", &SampleIds::surname, Qt::Key_Backtab, Qt::ShiftModifier, "", K::Key, kShiftTab, ""},
      {"Enter", &SampleIds::salary, Qt::Key_Return, none, "", K::Key, kEnter, ""},
      {"Esc", &SampleIds::salary, Qt::Key_Escape, none, "", K::Key, kEscape, ""},
      {"ditto", &SampleIds::hired, Qt::Key_Apostrophe, Qt::ControlModifier, "", K::Key, kCtrlQuote, "'"},
      {"a mnemonic of the window", &SampleIds::surname, 0x414, Qt::AltModifier, "", K::Key, kAlt, "Д"},
      {"F2", &SampleIds::surname, Qt::Key_F2, none, "", K::Key, kF1 + 1, ""},
      {"typing", &SampleIds::surname, 0x424, none, "ф", K::Edit, 0, ""},
      {"Insert", &SampleIds::list, Qt::Key_Insert, none, "", K::Key, kInsert, ""},
      {"Delete", &SampleIds::list, Qt::Key_Delete, none, "", K::Key, kDelete, ""},
      {"Ctrl+Enter", &SampleIds::list, Qt::Key_Return, Qt::ControlModifier, "", K::Key, kCtrlEnter, ""},
      {"Shift+Enter", &SampleIds::list, Qt::Key_Return, Qt::ShiftModifier, "", K::Key, kShiftEnter, ""},
      {"Down", &SampleIds::list, Qt::Key_Down, none, "", K::Key, kDown, ""},
      {"PageUp", &SampleIds::list, Qt::Key_PageUp, none, "", K::Key, kPageUp, ""},
      {"Ctrl+Home", &SampleIds::list, Qt::Key_Home, Qt::ControlModifier, "", K::Key, kCtrlHome, ""},
      {"Ctrl+End", &SampleIds::list, Qt::Key_End, Qt::ControlModifier, "", K::Key, kCtrlEnd, ""},
      {"a letter for the locator", &SampleIds::list, 0x41F, none, "п", K::Key, 0, "п"},
      {"a spin step is the model's", &SampleIds::dependants, Qt::Key_Up, none, "", K::Key, kUp, ""},
      {"Space ticks", &SampleIds::pensioner, Qt::Key_Space, none, " ", K::Press, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    view_->Apply(state_, true);
    QWidget* target = Focus(id_.*c.control);
    target->setFocus();
    recorder_.inputs.clear();
    QTest::sendKeyEvent(QTest::Click, target, static_cast<Qt::Key>(c.key), QString::fromUtf8(c.text), c.modifiers);
    ASSERT_EQ(recorder_.inputs.size(), 1u);
    const UserInput& input = recorder_.inputs.front();
    EXPECT_EQ(input.kind, c.kind);
    EXPECT_EQ(input.control, id_.*c.control);
    EXPECT_EQ(input.key, c.code);
    EXPECT_EQ(input.character, std::string(c.character).empty() ? 0 : static_cast<unsigned char>(Cp(c.character)[0]));
    if (c.kind == K::Edit && c.control == &SampleIds::surname) {
      EXPECT_EQ(input.text, Cp("Ивановф"));
    }
  }
  // Moving about in an entry is the entry's; Alt with a letter no control shows
  // is the menu bar's, and types nothing when the menu bar has no such item.
  Focus(id_.surname)->setFocus();
  recorder_.inputs.clear();
  QTest::keyClick(Focus(id_.surname), Qt::Key_Left);
  QTest::keyClick(Focus(id_.surname), Qt::Key_Z, Qt::AltModifier);
  EXPECT_TRUE(recorder_.inputs.empty());
  EXPECT_EQ(qobject_cast<QLineEdit*>(Focus(id_.surname))->text(), QString::fromUtf8("Иванов"));
}

TEST_F(FormViewTest, ListReportsClicksWheelAndScrollbarWithoutMovingItself) {
  QTableView& table = *List().Table();
  const QPoint secondRow = List().RowRect(2).center() + QPoint(table.columnViewportPosition(1), 0);
  QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, secondRow);
  QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, secondRow);
  QTest::mouseClick(table.viewport(), Qt::RightButton, {}, secondRow);
  QWheelEvent wheel(QPointF(secondRow), table.viewport()->mapToGlobal(QPointF(secondRow)), {}, QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(table.viewport(), &wheel);
  auto* bar = List().Widget()->findChild<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(bar, nullptr);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);

  std::vector<UserInput> shown;
  for (const UserInput& input : recorder_.inputs)
    if (input.kind != UserInput::Kind::Focus) shown.push_back(input);
  ASSERT_EQ(shown.size(), 5u);
  EXPECT_EQ(shown[0].kind, UserInput::Kind::ClickRow);
  EXPECT_EQ(shown[0].row, 2);
  EXPECT_EQ(shown[0].column, 2);  // the cell of Фамилия and Имя starts at column 2
  EXPECT_EQ(shown[1].kind, UserInput::Kind::DoubleClickRow);
  EXPECT_EQ(shown[2].kind, UserInput::Kind::RightClickRow);
  EXPECT_EQ(shown[3].kind, UserInput::Kind::Wheel);
  EXPECT_EQ(shown[3].value, QApplication::wheelScrollLines());
  EXPECT_EQ(shown[4].kind, UserInput::Kind::Key);
  EXPECT_EQ(shown[4].key, kPageDown);
  // The selection and the thumb are the program's until it moves them.
  EXPECT_EQ(table.currentIndex().row(), 1);
  EXPECT_EQ(bar->value(), 40);
  EXPECT_EQ(table.verticalScrollBar()->value(), 0);
}

TEST_F(FormViewTest, LaysACellEditorOverItsListCell) {
  ControlDefinition editor;
  editor.kind = ControlKind::Entry;
  editor.id = static_cast<ControlId>(definition_->Controls().size()) + 1;
  editor.name = "BAS:OKLAD";
  editor.picture = "@n_10.2";
  state_.created.push_back(editor);
  ControlState& shown = state_.controls.emplace_back();
  shown.id = editor.id;
  shown.text = "  12000.00";
  shown.overList = id_.list;
  shown.overRow = 2;
  shown.overColumn = 4;
  state_.focus = editor.id;
  view_->Apply(state_, true);
  QWidget* cell = view_->Control(editor.id)->Widget();
  QTableView& table = *List().Table();
  EXPECT_EQ(cell->parentWidget(), table.viewport());
  EXPECT_TRUE(cell->isVisible());
  EXPECT_EQ(cell->geometry(), table.visualRect(table.model()->index(1, 2)));
  EXPECT_EQ(view_->FocusedControl(), editor.id);
  SaveGrab(*view_, "cell-editor");

  // Typing in it is reported as its own; the model taking it away removes it.
  QTest::keyClick(cell, Qt::Key_5, Qt::NoModifier);
  ASSERT_FALSE(recorder_.Of(UserInput::Kind::Edit).empty());
  EXPECT_EQ(recorder_.Of(UserInput::Kind::Edit).back().control, editor.id);
  state_.created.clear();
  state_.controls.pop_back();
  state_.focus = id_.list;
  view_->Apply(state_, true);
  EXPECT_EQ(view_->Control(editor.id), nullptr);
}

}  // namespace
}  // namespace zelvo::testing
