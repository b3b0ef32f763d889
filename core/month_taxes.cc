#include "core/month_taxes.h"

#include "core/dictionary.h"
#include "core/dictionary_setup.h"
#include "core/program_variables.h"
#include "core/tables/nbasa.h"
#include "storage/file_operations.h"

namespace zelvo {
namespace {

// The records of a dictionary table as it is stored, in physical order.
class StoredRecords final : public RecordSource {
 public:
  explicit StoredRecords(const TableDeclaration& table) : table_(table) {}
  const TableDeclaration& Table() const override { return table_; }

  bool ForEach(const std::function<void(const RecordBuffer&)>& visit) const override {
    TableManager* manager = ManagerOf(table_.label);
    if (manager == nullptr || manager->OpenTable() != LevelOk) return false;
    const bool read = manager->EnsureUsable(3) == LevelOk && ReadAll(manager->file(), visit);
    (void)manager->CloseTable();
    return read;
  }

 private:
  static bool ReadAll(File& file, const std::function<void(const RecordBuffer&)>& visit) {
    if (Failed(PerformFileOperation(file, FileOperation::SETfile))) return false;
    for (;;) {
      const ErrorCode code = PerformFileOperation(file, FileOperation::NEXT);
      if (code == ErrorCode::RecordNotAvailable) return true;
      if (Failed(code)) return false;
      visit(file.Record());
    }
  }

  const TableDeclaration& table_;
};

}  // namespace

PayResult LoadMonthWorkingDays(const PayGlobals& globals) {
  return LoadWorkingDays(globals, StoredRecords(kDniTable), VAR.dat.Get(globals.variables));
}

PayResult ComputeMonthContributions(const PayGlobals& globals) {
  const DayNumber month = VAR.dat.Get(globals.variables);
  Decimal fund;
  PayResult result;
  if (!StoredRecords(kNbasaTable).ForEach([&](const RecordBuffer& record) {
        const DayNumber day = NBA.DATA.Get(record);
        if (day != 0 && month != 0 && Year(day) == Year(month) && Month(day) == Month(month))
          fund += NBA.FOND.Get(record);
      }))
    result.unreadable.emplace_back("NBASA");
  if (PAY.F.Set(globals.pay, fund) != StoreResult::Ok) result.overflows.emplace_back("F");
  if (PAY.F28.Set(globals.pay, PAY.F.Get(globals.pay) * Decimal::Parse("0.20")) != StoreResult::Ok)
    result.overflows.emplace_back("F28");
  return result;
}

}  // namespace zelvo
