#include "core/startup/program_objects.h"

#include <cassert>

#include "core/dictionary_setup.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "framework/window/record_action.h"
#include "runtime/windows_profile.h"
#include "storage/drive_folders.h"

namespace zelvo {
namespace {

ProgramObjects* running = nullptr;

}  // namespace

ProgramObjects::ProgramObjects(MessageBox& boxes) : errors_(boxes) {
  assert(running == nullptr && "one set of program objects at a time");
  ProgramVariables().Clear();
  PayValues().Clear();
  PendingRequest = RecordAction::None;
  LastResponse = 0;
  PendingVcrRequest = 0;

  errors_.InitDefault();
  InitDictionary(errors_);
  settings_.InitStore(kSettingsFileName);
  // The pension-fund tables' drive letters are folders named in the same file.
  LoadDriveFolders(WindowsProfile::Load(std::string(kSettingsFileName)));
  running = this;
}

ProgramObjects::~ProgramObjects() {
  running = nullptr;
  settings_.KillStore();
  KillDictionary();
  errors_.KillReporter();
}

ErrorReporter& ProgramErrors() {
  assert(running != nullptr);
  return running->Errors();
}

IniStore& ProgramSettings() {
  assert(running != nullptr);
  return running->Settings();
}

}  // namespace zelvo
