#include "core/windows/table_browse.h"

#include <cassert>

#include "core/dictionary_setup.h"
#include "core/startup/program_objects.h"
#include "runtime/cp1251.h"

namespace zelvo {

TableBrowse::TableBrowse(const TableBrowseDescription& description)
    : WindowProcedure(std::string(description.procedure), ProgramErrors(), ProgramSettings()),
      description_(description) {}

TableBrowse::~TableBrowse() = default;

WindowDefinition TableBrowse::DefineWindow() {
  const TableDeclaration& table = *description_.table;
  relations_ = RelationsOf(table.label);
  assert(relations_ != nullptr && "the dictionary is set up before any window opens");
  ViewDeclaration records;
  records.label = description_.procedure;
  records.primary = {&relations_->Me().file(), table.prefix};
  view_ = std::make_unique<View>(std::move(records));

  WindowDefinition w(std::string(description_.procedure), Cp1251Literal(description_.caption));
  std::vector<ColumnDefinition> columns;
  for (const BrowseColumn& column : description_.columns)
    columns.push_back(
        {.header = Cp1251Literal(column.header), .picture = std::string(column.picture), .width = column.width});
  list_ = w.List("list", std::move(columns), description_.rows);
  if (description_.picks) select_ = w.Button(Cp1251Literal("&Выбрать"));
  insert_ = w.Button(Cp1251Literal("&Добавить"));
  change_ = w.Button(Cp1251Literal("&Изменить"));
  delete_ = w.Button(Cp1251Literal("&Удалить"));
  AddCloseButton(w.Button(Cp1251Literal("Закрыть"), ButtonRole::Cancel), kCancelled);
  UseTable(*relations_);
  return w;
}

Level TableBrowse::WindowOpened() {
  browse_.InitBrowse(list_, *view_, *this, *relations_);
  (void)browse_.AddSortOrder(nullptr, description_.key);
  if (description_.key != 0) browse_.AddLocator(std::make_unique<JumpLocator>());
  RecordBuffer& record = relations_->Me().Buffer();
  int column = 0;
  for (const BrowseColumn& c : description_.columns)
    browse_.AddField(++column, record, c.field,
                     std::string(description_.table->prefix) + ":" + std::string(c.field.Name()));
  browse_.selectControl = select_;
  browse_.hideSelect = true;
  browse_.insertControl = insert_;
  browse_.changeControl = change_;
  browse_.deleteControl = delete_;
  if (description_.form != nullptr)
    browse_.askProcedure = AddUpdateForm([this] { description_.form(); });
  return LevelOk;
}

}  // namespace zelvo
