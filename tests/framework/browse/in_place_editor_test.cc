#include "framework/browse/in_place_editor.h"

#include <gtest/gtest.h>

#include "tests/framework/browse/browse_fixture.h"

namespace zelvo {
namespace {

using namespace testing_support;
using List = std::vector<std::string>;

// The people's browse without an update form: rows are edited in the list,
// every column with a default cell editor.
class InPlaceEditorTest : public BrowseFixture {
 protected:
  InPlaceEditorTest() {
    configure_ = [this](PeopleBrowse& p) {
      p.browse.askProcedure = 0;
      p.browse.arrowAction = arrow_;
      p.browse.enterAction = enter_;
      p.browse.tabAction = tab_;
      p.browse.focusLossAction = focusLoss_;
    };
  }

  // The cell editor that has the focus: the field its column shows ("" none).
  std::string Cell() {
    for (const ControlView& c : Window().controls)
      if (c.kind == ControlKind::Entry && c.focused && c.visible && c.id > close_) return c.name;
    return "";
  }
  ControlId CellId() {
    for (const ControlView& c : Window().controls)
      if (c.kind == ControlKind::Entry && c.focused && c.visible && c.id > close_) return c.id;
    ADD_FAILURE() << "no cell is edited";
    return 0;
  }
  WindowView Window() {
    Idle();
    for (const WindowView& w : Driver().Windows())
      if (w.procedure == "People") return w;
    return {};
  }
  // Types into the cell edited; the Tab that ends typing goes to the next column.
  void TypeInCell(const std::string& text) {
    EXPECT_EQ(Driver().Type(Handle(), CellId(), text), "");
    Idle();
  }
  void CellKey(const std::string& key) { Key(key, CellId()); }
  std::uint64_t Records() {
    OperationAnswer answer;
    (void)PerformFileOperation(peopleTable_.file, FileOperation::RECORDSfile, {}, answer);
    return answer.number;
  }

  std::uint8_t arrow_ = 0, enter_ = 0, tab_ = 0, focusLoss_ = 0;
};

TEST_F(InPlaceEditorTest, AnInsertIntoAnEmptyListEditsRowOneFromItsFirstColumn) {
  Start();
  Key("Insert");
  EXPECT_EQ(Names(), List{""});
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(Cell(), "PER:NAME");
  TypeInCell("Adams");
  EXPECT_EQ(Cell(), "PER:DEPT");
  CellKey("Enter");
  EXPECT_EQ(Cell(), "");
  EXPECT_EQ(Names(), List{"Adams"});
  Finish();
  EXPECT_EQ(Records(), 1u);
}

TEST_F(InPlaceEditorTest, ANewRowBelowAFullListPushesTheTopRowOutAndEscTakesItAway) {
  AddNumbered(7);
  Start();
  Key("Ctrl+End");
  Key("Insert");
  EXPECT_EQ(Names(), (List{"P0004", "P0005", "P0006", "P0007", ""}));
  EXPECT_EQ(Selected(), 5);
  TypeInCell("Zed");
  CellKey("Escape");
  EXPECT_EQ(Cell(), "");
  EXPECT_EQ(Names(), (List{"P0003", "P0004", "P0005", "P0006", "P0007"}));
  EXPECT_EQ(SelectedName(), "P0007");
  Finish();
  EXPECT_EQ(Records(), 7u) << "the record that held the new row's number is gone";
}

// Tab past the last column: TABACTION 0 saves and ends; with bit 8 the next
// record is edited from its first column.
class TabPastTheLastColumn : public InPlaceEditorTest, public ::testing::WithParamInterface<int> {};

TEST_P(TabPastTheLastColumn, SavesTheRow) {
  const bool moveOn = GetParam() == 8;
  AddNumbered(3);
  tab_ = static_cast<std::uint8_t>(GetParam());
  Start();
  Key("Ctrl+Enter");
  ASSERT_EQ(Cell(), "PER:NAME");
  TypeInCell("A1");
  TypeInCell("D");
  TypeInCell("44");
  EXPECT_EQ(Names(), (List{"A1", "P0002", "P0003"}));
  EXPECT_EQ(Cell(), moveOn ? "PER:NAME" : "");
  EXPECT_EQ(SelectedName(), moveOn ? "P0002" : "A1");
  if (moveOn) CellKey("Escape");
  Finish();
  Person().Clear();
  (void)PER.ID.Set(Person(), 1);  // P0001, now A1
  ASSERT_EQ(People().FetchByKey(kIdKey), LevelOk);
  EXPECT_EQ(Name(), "A1");
  EXPECT_EQ(PER.DEPT.Clipped(Person()), "D");
  EXPECT_EQ(PER.AGE.Get(Person()), 44);
}

INSTANTIATE_TEST_SUITE_P(TabAction, TabPastTheLastColumn, ::testing::Values(0, 8));

TEST_F(InPlaceEditorTest, DownWithArrowAction24SavesAndEditsTheSameColumnOfTheNextRecord) {
  AddNumbered(3);
  arrow_ = 24;
  Start();
  Key("Ctrl+Enter");
  TypeInCell("A1");
  ASSERT_EQ(Cell(), "PER:DEPT");
  TypeInCell("D");
  ASSERT_EQ(Cell(), "PER:AGE");
  CellKey("Down");
  EXPECT_EQ(Names(), (List{"A1", "P0002", "P0003"}));
  EXPECT_EQ(SelectedName(), "P0002");
  EXPECT_EQ(Cell(), "PER:AGE");
  CellKey("Escape");
}

TEST_F(InPlaceEditorTest, AnUnchangedRowAsksNothingAndAChangedOneAsksToSave) {
  AddNumbered(2);
  enter_ = 3;
  Start();
  Key("Ctrl+Enter");
  CellKey("Enter");
  EXPECT_FALSE(Driver().Message().has_value());
  EXPECT_EQ(Cell(), "");
  Key("Ctrl+Enter");
  TypeInCell("Q");
  CellKey("Enter");
  Answer("Save Record", "Cancel");
  EXPECT_EQ(Cell(), "PER:NAME") << "the edit goes on";
  CellKey("Enter");
  Answer("Save Record", "Yes");
  EXPECT_EQ(Names(), (List{"P0002", "Q"}));
}

TEST_F(InPlaceEditorTest, ClickingAnotherRowWhileTheSaveFailsKeepsTheEditedRow) {
  AddNumbered(3);
  Start();
  Key("Ctrl+Enter");
  TypeInCell("A1");
  driver_.script[FileOperation::PUT].push_back(ErrorCode::AccessDenied);
  Click(3);
  Answer("Record was not updated", "Ok");
  EXPECT_EQ(Selected(), 1);
  EXPECT_EQ(Cell(), "PER:NAME");
  Click(3);  // the write goes through now
  EXPECT_EQ(Cell(), "");
  EXPECT_EQ(Names(), (List{"A1", "P0002", "P0003"}));
  EXPECT_EQ(SelectedName(), "P0003");
}

}  // namespace
}  // namespace zelvo
