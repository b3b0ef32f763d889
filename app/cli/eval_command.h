// `zelvo eval [--bind NAME=VALUE[:TYPE]]... EXPR`: compiles a filter
// expression over the bound values (app/cli/bound_values.h) and the program's own
// variables, evaluates it once and prints its value as text on the first line
// and its class (integer, real, string) on the second.
//
// Exit status: 0 evaluated; 1 evaluated, but a function could not be (error
// 800, said on standard error, the value printed is 0); 2 a bad binding or a
// text that does not parse, said with the position where parsing stopped or
// the unbound name.
//
// Example:
//     $ zelvo eval --bind dat=2004-03-15:DATE "month(dat)=3 and 10h=16"
//     1
//     integer
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace zelvo {

int RunEval(const std::string& expression, const std::vector<std::string>& bindings, std::ostream& out,
            std::ostream& err);

class EvalCommand {
 public:
  explicit EvalCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  int Run() const;

 private:
  CLI::App* command_;
  std::string expression_;
  std::vector<std::string> bindings_;
};

}  // namespace zelvo
