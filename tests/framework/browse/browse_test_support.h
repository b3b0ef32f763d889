// The small tables the browse tests read: people (an auto-numbered ID, a
// department and a name, keyed by name and by department and name, both
// without case) and departments (their parent through DEPT), a view over the
// people, and the reporter and message box the framework reports through.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "tests/framework/data/framework_test_support.h"
#include "framework/browse/view_reader.h"
#include "framework/data/relation_set.h"
#include "platform/window_runtime.h"
#include "runtime/decimal.h"
#include "storage/declare_fields.h"
#include "storage/file_operations.h"
#include "storage/view/view.h"
#include "tests/testing/scoped_file_driver.h"

namespace zelvo::testing_support {

#define ZELVO_PERSON_FIELDS(FIELD) \
  FIELD(ID, Long())                \
  FIELD(DEPT, String(8))           \
  FIELD(NAME, String(20))          \
  FIELD(AGE, Short())
ZELVO_DECLARE_FIELDS(Person, PER, ZELVO_PERSON_FIELDS);
inline constexpr KeyDeclaration kPersonKeys[] = {
    {"ID_KEY", "PER:id_key", kKeyPrimary, {{"ID"}}},
    {"NAME_KEY", "PER:name_key", kKeyDup | kKeyNoCase, {{"NAME"}, {"ID"}}},
    {"DEPT_KEY", "PER:dept_key", kKeyDup | kKeyNoCase, {{"DEPT"}, {"NAME"}, {"ID"}}},
};
inline constexpr std::size_t kIdKey = 1, kNameKey = 2, kDeptKey = 3;

#define ZELVO_DEPARTMENT_FIELDS(FIELD) \
  FIELD(CODE, String(8))               \
  FIELD(TITLE, String(20))
ZELVO_DECLARE_FIELDS(Department, DEP, ZELVO_DEPARTMENT_FIELDS);
inline constexpr KeyDeclaration kDepartmentKeys[] = {{"CODE_KEY", "DEP:code_key", kKeyPrimary, {{"CODE"}}}};

// The people's table: like TestTable, but its ID numbered by the manager.
struct PeopleTable {
  PeopleTable(const TemporaryFolder& folder, ErrorReporter& reporter)
      : path(folder.File("PER")), declaration{.label = "PER", .name = path, .fields = kPersonFields, .keys = kPersonKeys},
        file(declaration) {
    manager.InitTable(file, reporter);
    manager.fileNameValue_ = "PER";
    manager.AddKey(kIdKey, "PER:id_key", 1, true);
    manager.AddKey(kNameKey, "PER:name_key");
    manager.AddKey(kDeptKey, "PER:dept_key");
  }
  ~PeopleTable() {
    if (file.IsOpen()) (void)PerformFileOperation(file, FileOperation::CLOSE);
    manager.KillTable();
  }
  std::string path;
  FileDeclaration declaration;
  File file;
  TableManager manager;
};

// Message boxes recorded and answered from a list, or, once a program runs,
// shown by the window runtime it installed.
struct TestBoxes final : MessageBox {
  unsigned Show(const MessageBoxRequest& request) override {
    return toRuntime ? TheWindowRuntime().Show(request) : recording.Show(request);
  }
  bool toRuntime = false;
  RecordingBox recording;
};

class PeopleFixture : public ::testing::Test {
 protected:
  PeopleFixture() {
    reporter_.InitDefault();
    reporter_.EnterProcedure("PeopleTest");
    people_.InitRelations(peopleTable_.manager, true);
    departments_.InitRelations(departmentTable_.manager, true);
    departments_.DefineRelation(people_, RelationMode::None, RelationMode::None, kDeptKey);
    departments_.DefineLink(0, 1);
    people_.DefineRelation(departments_);
    EXPECT_EQ(people_.OpenAll(), LevelOk);
  }
  ~PeopleFixture() override {
    people_.CloseAll();
  }

  TableManager& People() { return peopleTable_.manager; }
  RecordBuffer& Person() { return People().Buffer(); }

  // Adds a person through the table manager (numbered); answers the ID.
  int Add(std::string_view name, std::string_view dept = "", int age = 30) {
    Person().Clear();
    (void)PER.DEPT.Set(Person(), dept);
    (void)PER.NAME.Set(Person(), name);
    (void)PER.AGE.Set(Person(), age);
    EXPECT_EQ(People().AddRecord(), LevelOk) << name;
    return static_cast<int>(PER.ID.Get(Person()));
  }
  // Adds "P0001" .. in name order.
  void AddNumbered(int count) {
    for (int i = 1; i <= count; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "P%04d", i);
      Add(name);
    }
  }
  std::string Name() { return PER.NAME.Clipped(Person()); }

  TemporaryFolder folder_;
  ScriptedVxrDriver driver_;
  ScopedFileDriver registered_{Driver::Vxr, driver_};  // the built-in driver comes back after
  TestBoxes boxes_;
  RecordingBox& box_ = boxes_.recording;
  RecordingReporter reporter_{boxes_};
  PeopleTable peopleTable_{folder_, reporter_};
  TestTable departmentTable_{folder_, "DEP", kDepartmentFields, kDepartmentKeys, reporter_};
  RelationSet people_;
  RelationSet departments_;
  View view_{PeopleView()};

 private:
  ViewDeclaration PeopleView() {
    ViewDeclaration view;
    view.label = "People";
    view.primary = {&peopleTable_.file, "PER"};
    return view;
  }
};

// A view reader over the people, and what the tests ask of it.
class ReaderFixture : public PeopleFixture {
 protected:
  ReaderFixture() { reader_.InitReader(view_, people_); }
  ~ReaderFixture() override { reader_.KillReader(); }

  // Every name the reader gives from the start, or backwards from the end.
  std::vector<std::string> Names(bool forward = true) {
    std::vector<std::string> names;
    EXPECT_TRUE(reader_.PositionAtStart());
    while ((forward ? reader_.ReadForward() : reader_.ReadBackward()) == LevelOk) names.push_back(Name());
    return names;
  }
  // The filter the view was given.
  std::string Filter() {
    OperationArguments property;
    property.text = "0x7CB8";
    OperationAnswer answer;
    (void)view_.Perform(FileOperation::GET_PROPERTY, property, answer);
    return answer.text;
  }

  ViewReader reader_;
};

}  // namespace zelvo::testing_support
