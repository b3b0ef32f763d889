#include "app/cli/eval_command.h"

#include <iostream>

#include "app/cli/bound_values.h"
#include "runtime/cp1251.h"
#include "storage/filter/filter_expression.h"

namespace zelvo {
namespace {

constexpr const char* kSummary = "compile and evaluate a filter expression";

constexpr const char* kHelpFooter = R"(
Prints the value as text on line 1 and its class (integer, real, string) on line 2.
--bind NAME=VALUE[:TYPE] binds a variable; TYPE is BYTE, SHORT, USHORT, LONG,
ULONG, REAL, DATE (VALUE YYYY-MM-DD), TIME (HH:MM[:SS[.hh]]), DECIMAL(n,p),
STRING(n), CSTRING(n) or PSTRING(n); without one a whole number is a LONG,
another number a REAL, other text a STRING. The program's own variables
(dat, numG, kodreg, ...) are bound too, cleared, unless --bind names them.
Exit status: 0 evaluated; 1 a function could not be (error 800); 2 a bad
binding or an expression that does not parse.)";

}  // namespace

int RunEval(const std::string& expression, const std::vector<std::string>& bindings, std::ostream& out,
            std::ostream& err) {
  FilterBindings scope;
  BoundValues::BindProgramVariables(scope);
  BoundValues values;
  for (const std::string& binding : bindings) {
    if (const auto problem = values.Add(binding)) {
      err << "zelvo eval: --bind " << *problem << "\n";
      return 2;
    }
  }
  values.Bind(scope);
  const std::optional<std::string> text = Utf8ToCp1251(expression);
  if (!text) {
    err << "zelvo eval: the expression holds a character this program cannot hold\n";
    return 2;
  }
  const FilterCompilation compiled = FilterExpression::Compile(*text, scope);
  if (!compiled.ok()) {
    err << "zelvo eval: " << Cp1251ToUtf8(compiled.error.Describe()) << "\n";
    return 2;
  }
  if (!compiled.Whole(*text)) {
    err << "zelvo eval: " << ErrorText(ErrorCode::InvalidExpression) << " at " << compiled.end
        << ": parsing stopped before the end\n";
    return 2;
  }
  const FilterExpression& e = *compiled.expression;
  out << Cp1251ToUtf8(e.Text()) << "\n" << ValueClassName(e.Class()) << "\n";
  if (Failed(e.EvaluationError())) {
    err << "zelvo eval: " << ErrorText(e.EvaluationError()) << "\n";
    return 1;
  }
  return 0;
}

EvalCommand::EvalCommand(CLI::App& parent) : command_(parent.add_subcommand("eval", kSummary)) {
  command_->add_option("EXPR", expression_, "The filter expression")->required();
  command_->add_option("--bind", bindings_, "NAME=VALUE[:TYPE], a variable the expression may use")
      ->type_name("NAME=VALUE[:TYPE]");
  command_->footer(kHelpFooter);
}

int EvalCommand::Run() const { return RunEval(expression_, bindings_, std::cout, std::cerr); }

}  // namespace zelvo
