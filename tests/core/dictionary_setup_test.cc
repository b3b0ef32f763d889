// The dictionary set-up over real indexed record files in an empty folder:
// the managers and sets of the pay tables, their relation that deletes one
// month, the field rules and defaults through the managers, and the files
// closed at the end of the run. The transaction operations come from the
// framework tests' driver double, which forwards everything else to the real
// driver and undoes a rolled-back delete.
#include "core/dictionary_setup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <utility>
#include <vector>

#include "core/dictionary.h"
#include "runtime/cp1251.h"
#include "runtime/date_time.h"
#include "storage/file_operations.h"
#include "tests/framework/data/framework_test_support.h"
#include "tests/testing/scoped_file_driver.h"

namespace zelvo {
namespace {

using Op = FileOperation;
using namespace testing_support;

class DictionarySetupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.Path());
    reporter_.InitDefault();
    InitDictionary(reporter_);
  }
  void TearDown() override {
    KillDictionary();
    std::filesystem::current_path(previous_);
  }

  // A pay record of employee `num` for the month of `day` and its `lines` pay lines.
  void AddMonth(int num, DayNumber day, int lines) {
    TableManager& pay = *managers::NBASA;
    pay.Buffer().Clear();
    ASSERT_EQ(NBA.NUM.Set(pay.Buffer(), Decimal(num)), StoreResult::Ok);
    ASSERT_EQ(NBA.DATA.Set(pay.Buffer(), day), StoreResult::Ok);
    ASSERT_EQ(pay.AddRecord(), LevelOk);
    TableManager& line = *managers::NZELVO;
    for (int i = 0; i < lines; ++i) {
      line.Buffer().Clear();
      ASSERT_EQ(NPL.NUM.Set(line.Buffer(), Decimal(num)), StoreResult::Ok);
      ASSERT_EQ(NPL.DATA.Set(line.Buffer(), day), StoreResult::Ok);
      ASSERT_EQ(NPL.MESTO.Set(line.Buffer(), "object " + std::to_string(i)), StoreResult::Ok);
      ASSERT_EQ(line.AddRecord(), LevelOk);
    }
  }

  // (employee, month) of every record of the table, in physical order.
  using Months = std::vector<std::pair<int, DayNumber>>;
  static Months StoredMonths(TableManager& table, const DecimalField& num, const DateField& data) {
    Months months;
    if (table.EnsureUsable() != LevelOk) return months;
    if (PerformFileOperation(table.file(), Op::SETfile) != ErrorCode::Ok) return months;
    while (table.TryReadNext() == LevelOk) {
      const RecordBuffer& r = table.Buffer();
      months.emplace_back(num.Get(r).ToInt32(), data.Get(r));
    }
    return months;
  }
  Months PayRecords() { return StoredMonths(*managers::NBASA, NBA.NUM, NBA.DATA); }
  Months PayLines() { return StoredMonths(*managers::NZELVO, NPL.NUM, NPL.DATA); }

  // Makes the pay record of (num, day) current.
  void FetchPay(int num, DayNumber day) {
    TableManager& pay = *managers::NBASA;
    pay.Buffer().Clear();
    ASSERT_EQ(NBA.NUM.Set(pay.Buffer(), Decimal(num)), StoreResult::Ok);
    ASSERT_EQ(NBA.DATA.Set(pay.Buffer(), day), StoreResult::Ok);
    ASSERT_EQ(pay.FetchByKey(1), LevelOk);
  }

  // Seven has February and March, eight has March.
  void AddThreeMonths() {
    ASSERT_EQ(relations::NBASA->OpenAll(), LevelOk);
    AddMonth(7, february_, 2);
    AddMonth(7, march_, 3);
    AddMonth(8, march_, 2);
  }

  TemporaryFolder folder_;
  std::filesystem::path previous_;
  ScriptedVxrDriver driver_;
  ScopedFileDriver registered_{Driver::Vxr, driver_};
  RecordingBox box_;
  RecordingReporter reporter_{box_};
  const DayNumber february_ = Date(2, 1, 2005);
  const DayNumber march_ = Date(3, 1, 2005);
};

TEST_F(DictionarySetupTest, DeletingAPayRecordDeletesExactlyItsMonthInOneTransaction) {
  AddThreeMonths();
  FetchPay(7, march_);
  ASSERT_EQ(relations::NBASA->DeleteWithChildren(false), LevelOk);
  EXPECT_EQ(PayRecords(), (Months{{7, february_}, {8, march_}}));
  EXPECT_EQ(PayLines(), (Months{{7, february_}, {7, february_}, {8, march_}, {8, march_}}));
  // The pay record and its lines joined one transaction, which was committed.
  EXPECT_EQ(driver_.Count(Op::LOGOUT), 2u);
  EXPECT_GE(driver_.Count(Op::COMMIT), 1u);
  EXPECT_EQ(driver_.Count(Op::ROLLBACK), 0u);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DictionarySetupTest, ALineThatCannotBeDeletedLeavesTheWholeMonthAndARetryDeletesIt) {
  AddThreeMonths();
  const Months records = PayRecords();
  const Months lines = PayLines();

  FetchPay(7, march_);
  driver_.script[Op::DELETE] = {ErrorCode::Ok, ErrorCode::AccessDenied};
  box_.answers = {kButtonOk, kButtonNo};  // message 11, then no retry
  EXPECT_EQ(relations::NBASA->DeleteWithChildren(false), LevelNotify);
  ASSERT_EQ(box_.shown.size(), 2u);
  EXPECT_EQ(box_.shown[0].text,
            "An error (Access Denied (5)) was experienced when deleting a record from the nzelvo file.");
  EXPECT_EQ(box_.shown[1].caption, "Record Delete Error");
  EXPECT_EQ(driver_.Count(Op::COMMIT), 0u);
  EXPECT_EQ(PayRecords(), records);
  Months linesAfter = PayLines();
  std::sort(linesAfter.begin(), linesAfter.end());
  Months linesBefore = lines;
  std::sort(linesBefore.begin(), linesBefore.end());
  EXPECT_EQ(linesAfter, linesBefore);

  // Refused once more, then the retry offered by message 33 goes through.
  FetchPay(7, march_);
  box_.shown.clear();
  driver_.script[Op::DELETE] = {ErrorCode::AccessDenied};
  box_.answers = {kButtonOk, kButtonYes};
  EXPECT_EQ(relations::NBASA->DeleteWithChildren(false), LevelOk);
  EXPECT_EQ(box_.shown.size(), 2u);
  EXPECT_EQ(PayRecords(), (Months{{7, february_}, {8, march_}}));
  linesAfter = PayLines();
  std::sort(linesAfter.begin(), linesAfter.end());
  EXPECT_EQ(linesAfter, (Months{{7, february_}, {7, february_}, {8, march_}, {8, march_}}));
}

TEST_F(DictionarySetupTest, OnlyTheEmployeeNumberIsUnique) {
  TableManager& employees = *managers::BASA;
  ASSERT_EQ(employees.OpenTable(), LevelOk);
  const auto prime = [&](int num) {
    ASSERT_EQ(employees.PrimeNewRecord(), LevelOk);
    ASSERT_EQ(BAS.NUM.Set(employees.Buffer(), Decimal(num)), StoreResult::Ok);
    ASSERT_EQ(BAS.FAM.Set(employees.Buffer(), Cp1251Literal("Петров")), StoreResult::Ok);
    ASSERT_EQ(BAS.POL.Set(employees.Buffer(), Cp1251Literal("муж.")), StoreResult::Ok);
  };
  prime(1);
  ASSERT_EQ(employees.AddRecord(), LevelOk);
  prime(2);
  ASSERT_EQ(employees.AddRecord(), LevelOk);  // the same name twice
  prime(1);
  EXPECT_EQ(employees.AddRecord(), LevelNotify);
  ASSERT_EQ(box_.shown.size(), 1u);
  EXPECT_EQ(box_.shown[0].caption, "Duplicate Key Error");
  EXPECT_EQ(box_.shown[0].text, "Adding this record creates a duplicate entry for the key: BAS:num_key");
  (void)employees.CloseTable();
}

TEST_F(DictionarySetupTest, FieldRulesNameTheirFieldAndListInMessage15) {
  struct Case {
    TableManager* table;
    FieldHandle field;
    std::int64_t badNumber;  // or, for a text field,
    const char* badText;
    const char* goodText;    // a value that passes
    const char* message;
  };
  const Case cases[] = {
      {managers::BASA, BAS.ALIMENT, 4, nullptr, nullptr,
       "The value of BAS:aliment must be in the list : '0','1','2','3'."},
      {managers::BASA, BAS.POL, 0, "муж", "муж.   ",
       "The value of BAS:pol must be in the list : 'жен.','муж.'."},
      {managers::KONST, KON.NOM, 10, nullptr, nullptr,
       "The value of KON:nom must be in the list : 'Вычет на 1 раб.','Вычет на 1 ижд.',"
       "'Сумма накоплений действия льгот','Необлаг. мат.пом.','Необлаг. сумма подарка',"
       "'Льгота Афганистан','Льгота Чернобыль','Имущественный вычет','Льгота инвалида',"
       "'Льгота переселенца'."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    box_.shown.clear();
    RecordBuffer& record = c.table->Buffer();
    record.Clear();
    const std::size_t number = c.field.Number();
    if (c.badText != nullptr) {
      ASSERT_EQ(TextField<FieldType::String>(c.field).Set(record, Cp1251Literal(c.badText)), StoreResult::Ok);
    } else {
      ASSERT_EQ(IntegerField<FieldType::Byte>(c.field).Set(record, c.badNumber), StoreResult::Ok);
    }
    EXPECT_EQ(c.table->CheckFieldQuiet(number), LevelNotify);
    EXPECT_EQ(c.table->LastError(), kMsgValueNotInList);
    EXPECT_TRUE(box_.shown.empty());
    EXPECT_EQ(c.table->CheckField(number), LevelNotify);
    ASSERT_EQ(box_.shown.size(), 1u);
    EXPECT_EQ(box_.shown[0].caption, "Value Error");
    EXPECT_EQ(box_.shown[0].text, Cp1251Literal(c.message));
    // Only its own field is checked against the rule.
    EXPECT_EQ(c.table->CheckFieldQuiet(number + 1), LevelOk);
    if (c.goodText != nullptr) {
      ASSERT_EQ(TextField<FieldType::String>(c.field).Set(record, Cp1251Literal(c.goodText)), StoreResult::Ok);
    } else {
      ASSERT_EQ(IntegerField<FieldType::Byte>(c.field).Set(record, 0), StoreResult::Ok);
    }
    EXPECT_EQ(c.table->CheckFieldQuiet(number), LevelOk);
  }
}

TEST_F(DictionarySetupTest, ARecordBreakingARuleIsNotAdded) {
  TableManager& employees = *managers::BASA;
  ASSERT_EQ(employees.OpenTable(), LevelOk);
  ASSERT_EQ(employees.PrimeNewRecord(), LevelOk);
  ASSERT_EQ(BAS.NUM.Set(employees.Buffer(), Decimal(3)), StoreResult::Ok);
  ASSERT_EQ(BAS.POL.Set(employees.Buffer(), Cp1251Literal("жен.")), StoreResult::Ok);
  ASSERT_EQ(BAS.ALIMENT.Set(employees.Buffer(), 4), StoreResult::Ok);
  EXPECT_EQ(employees.AddRecord(), LevelNotify);
  EXPECT_EQ(employees.LastError(), kMsgValueNotInList);
  ASSERT_EQ(BAS.ALIMENT.Set(employees.Buffer(), 3), StoreResult::Ok);
  EXPECT_EQ(employees.AddRecord(), LevelOk);
  EXPECT_EQ(StoredMonths(employees, BAS.NUM, BAS.DATA).size(), 1u);
  (void)employees.CloseTable();
}

TEST_F(DictionarySetupTest, NewRecordsTakeTheirTablesDefaults) {
  ASSERT_EQ(managers::BASA->OpenTable(), LevelOk);
  (void)BAS.KTU.Set(managers::BASA->Buffer(), Decimal(3));
  ASSERT_EQ(managers::BASA->PrimeNewRecord(), LevelOk);
  EXPECT_EQ(BAS.KTU.Get(managers::BASA->Buffer()), Decimal(1));
  ASSERT_EQ(managers::SDELKA->OpenTable(), LevelOk);
  ASSERT_EQ(managers::SDELKA->PrimeNewRecord(), LevelOk);
  EXPECT_EQ(SDE.P.Get(managers::SDELKA->Buffer()), Cp1251Literal("Нет"));
  ASSERT_EQ(managers::KONST->OpenTable(), LevelOk);
  ASSERT_EQ(managers::KONST->PrimeNewRecord(), LevelOk);
  EXPECT_EQ(managers::KONST->Buffer(), RecordBuffer(kKonstTable));
  for (TableManager* table : {managers::BASA, managers::SDELKA, managers::KONST}) (void)table->CloseTable();
}

TEST_F(DictionarySetupTest, EveryPayrollFileIsCreatedOnFirstUse) {
  std::size_t payrollTables = 0;
  for (const TableDeclaration* table : Tables()) {
    if (table->driver != Driver::Vxr) continue;
    ++payrollTables;
    TableManager& manager = *ManagerOf(table->label);
    ASSERT_EQ(manager.OpenTable(), LevelOk);
    EXPECT_EQ(manager.TryReadNext(), LevelNotify) << table->label;
    (void)manager.CloseTable();
  }
  EXPECT_EQ(payrollTables, 17u);
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.Path()))
    files += entry.path().extension() == ".VXR" ? 1 : 0;
  EXPECT_EQ(files, 17u);
  EXPECT_TRUE(box_.shown.empty());
}

TEST_F(DictionarySetupTest, KillingTheDictionaryClosesTheFilesStillOpen) {
  ASSERT_EQ(relations::NBASA->OpenAll(), LevelOk);
  AddMonth(7, march_, 1);
  ASSERT_TRUE(managers::NBASA->file().IsOpen());
  ASSERT_TRUE(managers::NZELVO->file().IsOpen());
  const std::size_t closes = driver_.Count(Op::CLOSE);
  KillDictionary();
  EXPECT_EQ(driver_.Count(Op::CLOSE), closes + 2);
  EXPECT_EQ(managers::NBASA, nullptr);
  EXPECT_EQ(relations::NBASA, nullptr);
  // What was written is there for the next run.
  InitDictionary(reporter_);
  ASSERT_EQ(relations::NBASA->OpenAll(), LevelOk);
  EXPECT_EQ(PayRecords(), (Months{{7, march_}}));
  EXPECT_EQ(PayLines(), (Months{{7, march_}}));
  relations::NBASA->CloseAll();
}

}  // namespace
}  // namespace zelvo
