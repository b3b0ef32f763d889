// ProgramObjects: the program-wide objects of one run, alive from start-up to
// shutdown — the error reporter, one table manager and one relation set per
// dictionary table (the program-wide pointers of core/dictionary_setup.h),
// and the settings store "zelvo5.INI" of the data directory. They come to life
// in this order and go in the reverse one:
//
//     ProgramObjects objects(TheWindowRuntime());  // reporter, dictionary, settings
//     ... procedures use ProgramErrors(), ProgramSettings(), managers::KONST ...
//     // ~ProgramObjects: settings closed, dictionary killed, reporter killed
//
// Making them opens no table: each table manager opens its file on first use
// and creates it then, so a first start in an empty folder leaves it empty.
// The program variables, the pay values and PendingRequest/LastResponse start
// as zero or blank with every run.
//
// One instance at a time (the program's start-up makes it; a test of a window
// may make its own). Used only by the run token's holder.
#pragma once

#include <memory>
#include <string_view>

#include "framework/data/error_reporter.h"
#include "framework/data/ini_store.h"
#include "platform/message_box.h"

namespace zelvo {

inline constexpr std::string_view kSettingsFileName = "zelvo5.INI";

class ProgramObjects {
 public:
  // `boxes` shows the reporter's messages: the window runtime in the program.
  explicit ProgramObjects(MessageBox& boxes);
  ~ProgramObjects();
  ProgramObjects(const ProgramObjects&) = delete;
  ProgramObjects& operator=(const ProgramObjects&) = delete;

  ErrorReporter& Errors() { return errors_; }
  IniStore& Settings() { return settings_; }

 private:
  ErrorReporter errors_;
  IniStore settings_;
};

// The objects of the run (REQUIRES: a ProgramObjects alive).
ErrorReporter& ProgramErrors();
IniStore& ProgramSettings();

}  // namespace zelvo
