// The reference windows and the enterprise requisites driven as the
// accountant drives them, through scripted sessions on the headless back
// end; the records they leave are read back from the files.
#include <gtest/gtest.h>

#include "platform/headless/headless_driver.h"
#include "platform/headless/headless_runtime.h"
#include "runtime/date_time.h"
#include "tests/testing/reference_session.h"
#include "tests/testing/temporary_folder.h"

namespace zelvo {
namespace {

using testing_support::TemporaryFolder;

class ReferenceWindows : public ::testing::Test {
 protected:
  ReferenceOutcome Run(const std::string& session) {
    const std::string text = ReferenceSession(session);
    EXPECT_FALSE(text.empty()) << session;
    ReferenceOutcome outcome = RunReferenceScript<HeadlessRuntime, HeadlessDriver>(folder_.Path(), text, session);
    EXPECT_EQ(outcome.errors, "");
    EXPECT_EQ(outcome.status, 0);
    EXPECT_TRUE(outcome.ended);
    return outcome;
  }

  TemporaryFolder folder_;
};

TEST_F(ReferenceWindows, AConstantIsStoredWithTheNameOfItsCode) {
  const ReferenceOutcome outcome = Run("konst_by_name");
  EXPECT_EQ(outcome.Stored("KONST"),
            (std::vector<std::string>{"1;Сумма льгот на 1 работающего;400", "2;Сумма льгот на 1 иждивенца;600",
                                      "4;Необлагаемая сумма мат.помощи;4000", "0;Сумма льгот переселенца;50000"}));
}

TEST_F(ReferenceWindows, AnotherConstantChosenRenamesTheRecord) {
  const ReferenceOutcome outcome = Run("konst_change");
  EXPECT_EQ(outcome.Stored("KONST"),
            (std::vector<std::string>{"4;Необлагаемая сумма мат.помощи;3000", "8;Сумма имущественного вычета;1000000"}));
}

TEST_F(ReferenceWindows, TwoRecordsOfOneMonthAreBothKept) {
  const ReferenceOutcome outcome = Run("dni_same_month");
  const std::string march = std::to_string(Date(3, 1, 2004)), february = std::to_string(Date(2, 1, 2004));
  EXPECT_EQ(outcome.Stored("DNI"), (std::vector<std::string>{march + ";22", march + ";21", february + ";19"}));
}

TEST_F(ReferenceWindows, ADeleteAsksNothingAndACancelKeepsTheRecord) {
  const ReferenceOutcome outcome = Run("obekt_delete_cancel");
  EXPECT_EQ(outcome.Stored("OBEKT"), (std::vector<std::string>{"Цех", "Гараж"}));
}

TEST_F(ReferenceWindows, APickerGivesBackTheChosenRecord) {
  const ReferenceOutcome outcome = Run("pickers");
  EXPECT_EQ(outcome.Stored("OBEKT"), (std::vector<std::string>{"Цех", "Склад"}));
  EXPECT_EQ(outcome.Stored("UCHASTOK"), (std::vector<std::string>{"Участок 1"}));
}

TEST_F(ReferenceWindows, TheRequisitesAreKeptInTheOrderStored) {
  const ReferenceOutcome outcome = Run("osnova_groups");
  EXPECT_EQ(outcome.Stored("OSNOVA"),
            (std::vector<std::string>{"7701;2004;7701234567;770101001;45286575000;ООО \"Зелво\";Иванов;Иван;"
                                      "Иванович;Петрова;Мария;Сергеевна;1.02;1234567"}));
}

}  // namespace
}  // namespace zelvo
