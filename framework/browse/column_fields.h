// ColumnFields: a browse list's columns paired with the fields they show
// (the browse's FIELDS). A row is made by taking an image of every record the
// columns come from: the view's records, then any other record a column
// shows (a procedure's own values). Its texts are the paired fields of those
// images formatted through the columns' pictures; a column paired with no
// field shows nothing.
//
//     columns.Add(1, people.Record(), PER.NAME, "PER:NAME");   // column 1, "@s20"
//     BrowseRow row = columns.Capture();   // after the view read a record
//     columns.Texts(row)                  == {"Lee                 ", ...}
//     columns.Restore(row);               // the record buffers hold that row again
//
// Restoring puts a view record back whole, so the buffer holds the row's
// whole record; a record outside the view gets back only its paired fields.
// Used only by the run token's holder.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "framework/browse/list_rows.h"
#include "platform/field_binding.h"
#include "platform/window_definition.h"
#include "runtime/picture.h"
#include "storage/field_handle.h"

namespace zelvo {

class ColumnFields {
 public:
  // The view's records, in view order, and the list's columns as defined.
  ColumnFields(std::vector<RecordBuffer*> viewRecords, std::vector<ColumnDefinition> columns);

  // Pairs list column `column` (1-based, definition order, stacked columns
  // counted) with `field` of `record`; `name` is how scripts name the field.
  void Add(int column, RecordBuffer& record, FieldHandle field, std::string name);

  int ColumnCount() const { return static_cast<int>(definitions_.size()); }
  const std::string& PictureOf(int column) const { return definitions_[static_cast<std::size_t>(column) - 1].picture; }
  bool IsPaired(int column) const { return Find(column) != nullptr; }

  // An image of every record, as the buffers hold them now (no position).
  BrowseRow Capture() const;
  // Takes the buffers' records into an existing row, its position kept.
  void CaptureInto(BrowseRow& row) const;
  void Restore(const BrowseRow& row) const;
  // Clears every paired field in the record buffers.
  void ClearFields() const;
  std::vector<std::string> Texts(BrowseRow& row) const;
  // The row's own value of a paired column, to be edited in place.
  std::optional<FieldBinding> RowValue(BrowseRow& row, int column) const;
  // Whether a paired value of the row differs from the field in its record.
  bool Differs(const BrowseRow& row) const;

 private:
  struct Column {
    int number;
    std::size_t source;  // index into sources_ and into a row's images
    FieldHandle field;
    std::string name;
    std::optional<Picture> picture;
  };
  const Column* Find(int column) const;

  std::vector<RecordBuffer*> sources_;
  std::size_t viewSources_;
  std::vector<ColumnDefinition> definitions_;
  std::vector<Column> columns_;
};

}  // namespace zelvo
