#include "framework/browse/column_fields.h"

#include <algorithm>
#include <cstring>

namespace zelvo {
namespace {

std::span<const std::uint8_t> FieldBytes(const RecordBuffer& record, const FieldDeclaration& field) {
  return record.Bytes().subspan(field.offset, field.Bytes());
}

}  // namespace

ColumnFields::ColumnFields(std::vector<RecordBuffer*> viewRecords, std::vector<ColumnDefinition> columns)
    : sources_(std::move(viewRecords)), viewSources_(sources_.size()), definitions_(std::move(columns)) {}

void ColumnFields::Add(int column, RecordBuffer& record, FieldHandle field, std::string name) {
  auto source = std::find(sources_.begin(), sources_.end(), &record);
  if (source == sources_.end()) source = sources_.insert(sources_.end(), &record);
  std::optional<Picture> picture;
  if (column >= 1 && column <= ColumnCount()) picture = Picture::Parse(PictureOf(column));
  columns_.push_back({column, static_cast<std::size_t>(source - sources_.begin()), field, std::move(name),
                      std::move(picture)});
}

const ColumnFields::Column* ColumnFields::Find(int column) const {
  const auto found = std::find_if(columns_.begin(), columns_.end(), [&](const Column& c) { return c.number == column; });
  return found == columns_.end() ? nullptr : &*found;
}

BrowseRow ColumnFields::Capture() const {
  BrowseRow row;
  row.images.reserve(sources_.size());
  for (const RecordBuffer* record : sources_) row.images.push_back(*record);
  return row;
}

void ColumnFields::CaptureInto(BrowseRow& row) const {
  std::string position = std::move(row.position);
  row = Capture();
  row.position = std::move(position);
}

void ColumnFields::Restore(const BrowseRow& row) const {
  for (std::size_t i = 0; i < viewSources_ && i < row.images.size(); ++i) *sources_[i] = row.images[i];
  for (const Column& c : columns_) {
    if (c.source < viewSources_ || c.source >= row.images.size()) continue;
    const FieldDeclaration& field = c.field.Declaration();
    const auto from = FieldBytes(row.images[c.source], field);
    std::copy(from.begin(), from.end(), sources_[c.source]->Bytes().begin() + field.offset);
  }
}

void ColumnFields::ClearFields() const {
  for (const Column& c : columns_) c.field.Clear(*sources_[c.source]);
}

std::vector<std::string> ColumnFields::Texts(BrowseRow& row) const {
  std::vector<std::string> texts(definitions_.size());
  for (const Column& c : columns_) {
    if (c.number < 1 || c.number > ColumnCount() || c.source >= row.images.size()) continue;
    const FieldBinding value(c.name, row.images[c.source], c.field);
    texts[static_cast<std::size_t>(c.number) - 1] = c.picture ? value.Show(*c.picture) : value.ValueText();
  }
  return texts;
}

std::optional<FieldBinding> ColumnFields::RowValue(BrowseRow& row, int column) const {
  const Column* c = Find(column);
  if (c == nullptr || c->source >= row.images.size()) return std::nullopt;
  return FieldBinding(c->name, row.images[c->source], c->field);
}

bool ColumnFields::Differs(const BrowseRow& row) const {
  return std::any_of(columns_.begin(), columns_.end(), [&](const Column& c) {
    if (c.source >= row.images.size()) return false;
    const FieldDeclaration& field = c.field.Declaration();
    const auto mine = FieldBytes(row.images[c.source], field);
    const auto theirs = FieldBytes(*sources_[c.source], field);
    return !std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end());
  });
}

}  // namespace zelvo
