// ListModel: the rows a list shows, as the program formatted them, laid into
// the list's cells. Each column of the definition starts a cell of its own,
// except a stacked column, which shares the cell of the column before it on
// a line of its own (its header is that cell's second header line).
//
//     columns  Фамилия | Имя (stacked) | Оклад      cells  "Фамилия\nИмя" | "Оклад"
//
// Rows are replaced wholesale by what the program sets; a list holds only
// the rows it shows, so this is never large.
#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QStringList>

#include "platform/window.h"
#include "platform/window_definition.h"

namespace zelvo {

class ListModel final : public QAbstractTableModel {
 public:
  explicit ListModel(const std::vector<ColumnDefinition>& columns, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetRows(const std::vector<ListRow>& rows);

  // The lines of a cell: 2 when any column is stacked, else 1.
  int Lines() const { return lines_; }
  int CellCount() const { return static_cast<int>(cells_.size()); }
  // The characters a cell's pictures (or widths) ask for, and its header.
  int CellCharacters(int cell) const { return cells_[static_cast<std::size_t>(cell)].characters; }
  QString CellHeader(int cell) const;
  // Column (1-based, of the definition) <-> cell (0-based).
  int CellOfColumn(int column) const;
  int FirstColumnOfCell(int cell) const;

  // In definition column order, as the user driver reads them.
  QStringList Headers() const;
  QStringList RowTexts(int row) const;

 private:
  struct Cell {
    std::vector<int> columns;  // 0-based columns of the definition shown in it
    Qt::Alignment alignment;
    int characters = 0;
  };
  std::vector<Cell> cells_;
  QStringList headers_;               // per definition column
  std::vector<QStringList> rows_;     // per row, per definition column
  int lines_ = 1;
};

}  // namespace zelvo
