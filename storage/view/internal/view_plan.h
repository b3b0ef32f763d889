// ViewPlan: how a view delivers its rows, made at the first read after OPEN,
// FLUSH or a change of filter or order (storage/view/view.h describes the
// plan's choices). A plan either scans — it walks the primary FILE in record
// order or along a key and joins each record to its secondary FILEs as it
// goes — or is sorted: every row was read once, sorted by the order's values
// through a SortStore, and is delivered by re-reading its records from its
// position.
//
// A plan keeps no position of its own while it scans: each step asks the
// primary FILE's driver, so reading the FILE elsewhere moves the view. Row
// positions are those of storage/view/view.h: per FILE 2 bytes of length and
// the FILE's position, an outer join's part after a flag byte.
//
// Every function answers a runtime error code: Ok, 33 (Record Not Available)
// past an end, 81 for a position cut short, or a FILE's own failure. Used
// only by the run token's holder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/error_code.h"
#include "storage/filter/filter_expression.h"
#include "storage/view/internal/view_order.h"
#include "storage/view/view_declaration.h"

namespace zelvo {

class ViewPlan {
 public:
  // The plan of `declaration` (whose FILEs are `files`) under `filter` and,
  // when one is given, `order`: the levels of its FILEs, the filter and the
  // join conditions compiled, the primary key chosen and, for an order no key
  // delivers whole, the rows sorted. 800 or 801 for a text that does not
  // compile, the name appended to the error state's text.
  static ErrorCode Make(const ViewDeclaration& declaration, const std::vector<ViewFile>& files,
                        std::string_view filter, const std::vector<OrderComponent>* order,
                        std::unique_ptr<ViewPlan>& plan);
  ~ViewPlan();

  // The primary FILE's key the plan walks (1-based); 0 for record order.
  std::size_t PrimaryKey() const;
  bool Sorted() const { return sorted_; }
  std::size_t SortedRows() const { return rows_.size(); }

  // Places the plan before its first row in the direction.
  ErrorCode Start(bool forward);
  // Places a scan along a key before the first record whose key is not below
  // `probe`'s, reading forwards: rows before it are never read.
  ErrorCode StartAt(const RecordBuffer& probe);
  // Whether the primary walks its key against the key's direction.
  bool WalksBackwards() const { return files_[0].backwards; }
  // Goes on from the record the program set the primary FILE to.
  void ContinueFromFile();
  // Delivers the next row in the direction that the filter lets through.
  ErrorCode Step(bool forward);
  // Delivers the row at `position`, or its successor in the direction when it
  // is gone; with `skip`, the row after it.
  ErrorCode ResetTo(std::string_view position, bool skip, bool forward);

  // The position of the row delivered last.
  std::string Position();
  // The position of a row at the primary FILE's current record.
  ErrorCode PrimaryPosition(std::string& position);
  // 81 when `position` is cut short inside a part it announces.
  ErrorCode CheckPosition(std::string_view position) const;
  // Reads every record of the row at `position` again.
  ErrorCode Reget(std::string_view position);

 private:
  // One FILE's part of the plan's rows. The primary walks its FILE; a join
  // holds the records matching its enclosing FILE's current record.
  struct RowFile {
    ViewFile file;
    int parent = -1;
    const ViewJoin* join = nullptr;  // null for the primary
    std::size_t key = 0;             // the key walked or joined on; 0: record order
    bool backwards = false;          // primary: walking the key against its direction
    std::optional<FilterExpression> link;
    struct Match {
      std::string position;
      std::vector<std::uint8_t> record;
    };
    std::vector<Match> matches;
    std::ptrdiff_t at = -1;
    bool active = false;  // holds a row
    bool null = false;    // an outer join delivered without a record
  };
  enum class Edge : std::uint8_t { None, Start, End };

  ViewPlan() = default;
  // The FILE's position where the plan walks it: by key or in record order.
  static std::string FilePosition(File& file, std::size_t key);
  void AddJoins(int parent, const std::vector<ViewJoin>& joins);
  ErrorCode Sort(const std::vector<OrderComponent>& order);

  ErrorCode StartScan();
  ErrorCode StepScan(bool forward);
  ErrorCode ResetScan(std::string_view position);
  std::string RowPosition();
  // A position's parts, one per FILE (nullopt: an outer join delivered
  // without a record); missing trailing parts are empty.
  ErrorCode Split(std::string_view position, std::vector<std::optional<std::string>>& parts) const;

  ErrorCode AdvancePrimary(bool forward);
  bool AdvanceJoin(RowFile& join, bool forward);
  ErrorCode StartJoin(RowFile& join, std::size_t index, bool forward, bool& has);
  ErrorCode Gather(RowFile& join);
  void Keep(RowFile& join);
  void Load(RowFile& join);

  std::vector<RowFile> files_;  // the primary, then the joins in declaration order
  std::optional<FilterExpression> filter_;
  bool sorted_ = false;
  std::vector<std::string> rows_;  // a sorted plan's rows, as positions, in order
  std::ptrdiff_t rowAt_ = -1;
  Edge edge_ = Edge::Start;
  // A reset's parts for the joins, used by the first row after it.
  std::vector<std::string> resetParts_;
};

}  // namespace zelvo
