#include "platform/qt/list_model.h"

#include <algorithm>

#include "platform/qt/picture_metrics.h"
#include "platform/qt/qt_text.h"

namespace zelvo {

ListModel::ListModel(const std::vector<ColumnDefinition>& columns, QObject* parent) : QAbstractTableModel(parent) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnDefinition& column = columns[i];
    if (!column.stacked || cells_.empty()) {
      cells_.push_back({{}, PictureAlignment(column.picture), 0});
    } else {
      lines_ = 2;
    }
    Cell& cell = cells_.back();
    cell.columns.push_back(static_cast<int>(i));
    const int characters = column.width > 0 ? column.width : PictureCharacters(column.picture);
    cell.characters = std::max(cell.characters, characters);
    headers_.push_back(ToQString(column.header));
  }
}

int ListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : CellCount(); }

QVariant ListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= CellCount()) return {};
  const Cell& cell = cells_[static_cast<std::size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(cell.alignment);
  if (role != Qt::DisplayRole) return {};
  const QStringList& row = rows_[static_cast<std::size_t>(index.row())];
  QStringList lines;
  for (int column : cell.columns) lines.push_back(row.value(column).trimmed());
  return lines.join(u'\n');
}

QString ListModel::CellHeader(int cell) const {
  QStringList lines;
  for (int column : cells_[static_cast<std::size_t>(cell)].columns) lines.push_back(headers_.value(column));
  return lines.join(u'\n');
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= CellCount()) return {};
  if (role == Qt::DisplayRole) return CellHeader(section);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(cells_[static_cast<std::size_t>(section)].alignment);
  return {};
}

void ListModel::SetRows(const std::vector<ListRow>& rows) {
  std::vector<QStringList> converted;
  converted.reserve(rows.size());
  for (const ListRow& row : rows) {
    QStringList texts;
    for (const std::string& text : row) texts.push_back(ToQString(text));
    converted.push_back(std::move(texts));
  }
  if (converted == rows_) return;
  if (converted.size() == rows_.size()) {
    rows_ = std::move(converted);
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, CellCount() - 1));
    return;
  }
  beginResetModel();
  rows_ = std::move(converted);
  endResetModel();
}

int ListModel::CellOfColumn(int column) const {
  for (std::size_t cell = 0; cell < cells_.size(); ++cell) {
    const std::vector<int>& columns = cells_[cell].columns;
    if (std::find(columns.begin(), columns.end(), column - 1) != columns.end()) return static_cast<int>(cell);
  }
  return -1;
}

int ListModel::FirstColumnOfCell(int cell) const {
  if (cell < 0 || cell >= CellCount()) return 0;
  return cells_[static_cast<std::size_t>(cell)].columns.front() + 1;
}

QStringList ListModel::Headers() const { return headers_; }

QStringList ListModel::RowTexts(int row) const {
  QStringList shown;
  for (const QString& text : rows_.at(static_cast<std::size_t>(row))) shown.push_back(text.trimmed());
  return shown;
}

}  // namespace zelvo
