// ListRows: the rows a browse list holds — never more than the control shows.
// Each row keeps an image of every record it was made from (the view's
// records, and any other record a column shows) and the view position of its
// record (storage/view.h; up to 1024 bytes), so the row can be shown, put
// back into the record buffers, edited in place and found again.
//
// Rows are numbered from 1, as the list control numbers them. Used only by
// the run token's holder.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "storage/record_buffer.h"

namespace zelvo {

struct BrowseRow {
  std::vector<RecordBuffer> images;  // one per record the columns come from (ColumnFields order)
  std::string position;              // the view position; empty for a new row not yet written
};

class ListRows {
 public:
  std::size_t Count() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }

  // REQUIRES: 1 <= n <= Count().
  BrowseRow& Row(std::size_t n) { return rows_[n - 1]; }
  const BrowseRow& Row(std::size_t n) const { return rows_[n - 1]; }
  BrowseRow& First() { return rows_.front(); }
  BrowseRow& Last() { return rows_.back(); }

  void Append(BrowseRow row) { rows_.push_back(std::move(row)); }
  // Inserts before row `n` (Count() + 1: at the end).
  void Insert(std::size_t n, BrowseRow row) { rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(n - 1), std::move(row)); }
  void Delete(std::size_t n) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(n - 1)); }
  void Clear() { rows_.clear(); }

  // The row holding the record at `position`; 0 when none does.
  std::size_t Find(std::string_view position) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].position == position) return i + 1;
    return 0;
  }

 private:
  std::vector<BrowseRow> rows_;
};

}  // namespace zelvo
