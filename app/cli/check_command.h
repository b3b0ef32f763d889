// `zelvo check FILE`: verifies an indexed record file (VXR) and prints every
// inconsistency found (storage/vxr/vxr_check.h), each as "LOCATION: TEXT" on
// standard output, then one summary line. It only reads: the file is never
// changed, and an interrupted write is reported, not finished.
//
// Exit status: 0 the file is sound, 1 it is not, 2 it cannot be read (missing,
// unreadable, shorter than a header, not an indexed record file).
//
// Example:
//     $ zelvo check NBASA.VXR
//     header: last issued number 1 is below the highest number present, 401
//     NBASA.VXR: 1 inconsistency
//
// Not thread-safe: reads the process-wide locale tables.
#pragma once

#include <ostream>
#include <string>

#include <CLI/CLI.hpp>

namespace zelvo {

// The whole command on one path, printing to `out`; answers the exit status.
int RunCheck(const std::string& path, std::ostream& out);

class CheckCommand {
 public:
  // Registers `check` and its argument with the binary's command line.
  explicit CheckCommand(CLI::App& parent);

  bool Chosen() const { return command_->parsed(); }
  int Run() const;

 private:
  CLI::App* command_;
  std::string path_;
};

}  // namespace zelvo
