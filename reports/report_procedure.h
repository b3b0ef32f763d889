// ReportProcedure: what every report of the payroll shares on top of the
// report runner — one view over its primary table in the order of one key
// and a filter over the program's variables, the progress reader that walks
// it and calls the report's record step, the layout and its composer, and
// the preview with its placement in the INI store. A report names its table,
// key, filter and layout, and writes PrintRecord.
//
//     class RaschPr : public ReportProcedure {
//       RaschPr() : ReportProcedure("RaschPr", ProgramErrors(), ProgramSettings(), kNbasaTable, 2, filter,
//                                   kA4Portrait, area) {}
//       Level PrintRecord() override { ...; composer.PrintBand(slip_); return LevelOk; }
//     };
//
// The filter's names are bound from the program-wide variables (dat, num1...)
// while the report runs. Used only by the run token's holder.
#pragma once

#include <memory>
#include <string>

#include "core/table_declaration.h"
#include "framework/report/report_runner.h"
#include "platform/report_composer.h"
#include "platform/report_layout.h"
#include "storage/view/view.h"

namespace zelvo {

class ReportProcedure : public ReportRunner {
 public:
  ReportProcedure(std::string name, ErrorReporter& reporter, IniStore& settings, const TableDeclaration& table,
                  std::size_t key, std::string filter, Paper paper, PageArea detailArea);
  ~ReportProcedure() override;

 protected:
  // The report's step for each record the view delivers.
  virtual Level PrintRecord() = 0;

  WindowDefinition DefineWindow() override;
  Level WindowOpened() override;
  Level KillWindow() override;

  ReportLayout layout;
  ReportComposer composer{layout};
  PagePreview pagePreview;

 private:
  class Process final : public ProgressReader {
   public:
    explicit Process(ReportProcedure& report) : report_(report) {}
    Level TakeRecord() override { return report_.PrintRecord(); }

   private:
    ReportProcedure& report_;
  };

  const TableDeclaration& table_;
  std::size_t key_;
  std::string filter_;
  IniStore& settings_;
  Process process_{*this};
  std::unique_ptr<View> view_;
  bool bound_ = false;
};

}  // namespace zelvo
