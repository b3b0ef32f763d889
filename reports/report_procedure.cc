#include "reports/report_procedure.h"

#include "core/dictionary_setup.h"
#include "core/program_variables.h"
#include "storage/filter/filter_bindings.h"

namespace zelvo {

ReportProcedure::ReportProcedure(std::string name, ErrorReporter& reporter, IniStore& settings,
                                 const TableDeclaration& table, std::size_t key, std::string filter, Paper paper,
                                 PageArea detailArea)
    : ReportRunner(std::move(name), reporter, settings),
      layout(paper, detailArea),
      table_(table),
      key_(key),
      filter_(std::move(filter)),
      settings_(settings) {}

ReportProcedure::~ReportProcedure() = default;

WindowDefinition ReportProcedure::DefineWindow() {
  if (RelationSet* relations = RelationsOf(table_.label)) UseTable(*relations);
  return ProgressWindow();
}

Level ReportProcedure::WindowOpened() {
  RelationSet* relations = RelationsOf(table_.label);
  if (relations == nullptr) return LevelNotify;
  // The filter sees the program's variables by name, as the windows that
  // start the report left them.
  FilterBindings& bindings = CurrentBindings();
  bindings.Push();
  bound_ = true;
  for (const FieldDeclaration& variable : BoundVariableDeclarations())
    if (const auto found = FindBoundVariable(variable.name))
      bindings.Bind(found->name, *found->declaration, found->address);
  view_ = std::make_unique<View>(ViewDeclaration{.label = table_.label,
                                                 .primary = {&relations->Me().file(), table_.prefix},
                                                 .projection = {},
                                                 .filter = {},
                                                 .order = {},
                                                 .joins = {}});
  process_.InitCounted(*view_, *relations, progressText, progressBar, 0);
  (void)process_.AddSortOrder(key_);
  if (!filter_.empty()) process_.SetStandardFilter(filter_);
  InitRunner(process_, composer, &pagePreview);
  pagePreview.iniManager = &settings_;
  pagePreview.allowUserZoom = true;
  return ReportRunner::WindowOpened();
}

Level ReportProcedure::KillWindow() {
  const Level level = ReportRunner::KillWindow();
  view_.reset();
  if (bound_) (void)CurrentBindings().Pop();
  bound_ = false;
  return level;
}

}  // namespace zelvo
