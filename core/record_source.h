// RecordSource: the records of one table read in physical order, the way the
// pay calculation reads KONST, DNI, NBASA and NZELVO.
//
// The calculation asks only for this, so it runs over records held in memory
// (RecordsInMemory, used by `zelvo calc` and the tests) and over a stored
// table's driver alike. A source hands out each record for the duration of
// one visit call; the visitor copies what it keeps.
//
//     RecordsInMemory konst(kKonstTable);
//     RecordBuffer record(kKonstTable);
//     (void)KON.NOM.Set(record, 1); (void)KON.VAL.Set(record, Decimal(400));
//     konst.Add(record);
//     konst.ForEach([](const RecordBuffer& r) { ... });   // true: every record read
//
// Not thread-safe; touched only by the run-token holder like every table.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "storage/record_buffer.h"
#include "core/table_declaration.h"

namespace zelvo {

class RecordSource {
 public:
  virtual ~RecordSource() = default;

  // The table read, for results that name it ("KONST").
  virtual const TableDeclaration& Table() const = 0;

  // Calls `visit` once for every record, in physical order; every record is of
  // Table()'s layout. False when the table could not be read to its end: the
  // records visited before the failure have been visited.
  [[nodiscard]] virtual bool ForEach(const std::function<void(const RecordBuffer&)>& visit) const = 0;
};

// Records held in memory, in the order added. Always reads to its end.
class RecordsInMemory final : public RecordSource {
 public:
  explicit RecordsInMemory(const TableDeclaration& table) : table_(&table) {}

  // Appends a copy. A record of another layout is refused (false) and not added.
  bool Add(const RecordBuffer& record);
  std::size_t Size() const { return records_.size(); }
  const std::vector<RecordBuffer>& Records() const { return records_; }

  const TableDeclaration& Table() const override { return *table_; }
  [[nodiscard]] bool ForEach(const std::function<void(const RecordBuffer&)>& visit) const override;

 private:
  const TableDeclaration* table_;
  std::vector<RecordBuffer> records_;
};

}  // namespace zelvo
