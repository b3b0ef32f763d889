// A scripted session on the reference program (tests/testing/
// reference_program.h), on whichever back end, in a folder of its own — what
// the core's window tests and the Qt back end's tests both run, so one script
// checks both:
//
//     ReferenceOutcome outcome = RunReferenceScript<HeadlessRuntime, HeadlessDriver>(folder, text, "konst");
//     outcome.Stored("KONST") == {"2;Сумма льгот на 1 иждивенца;600"}
//
// The sessions live in tests/testing/reference_sessions (ZELVO_REFERENCE_SESSIONS).
#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/script/script_session.h"
#include "core/dictionary.h"
#include "runtime/cp1251.h"
#include "storage/built_in/built_in_drivers.h"
#include "storage/file_operations.h"
#include "tests/testing/reference_program.h"
#include "tests/testing/session_files.h"

namespace zelvo {

struct ReferenceOutcome {
  int status = -1;
  std::string errors;
  bool ended = false;
  std::filesystem::path folder;

  // Every record of the table as the session left it, in physical order: its
  // fields' values as field rules compare them, joined by ";" (UTF-8).
  std::vector<std::string> Stored(std::string_view label) const {
    std::vector<std::string> lines;
    const TableDeclaration* table = FindTable(label);
    if (table == nullptr) return lines;
    const std::string path = (folder / table->fileName).string();
    const FileDeclaration declaration{
        .label = table->label, .driver = table->driver, .name = path, .fields = table->fields, .keys = table->keys};
    File file(declaration);
    if (Failed(PerformFileOperation(file, FileOperation::OPEN))) return lines;
    if (!Failed(PerformFileOperation(file, FileOperation::SETfile))) {
      while (PerformFileOperation(file, FileOperation::NEXT) == ErrorCode::Ok) {
        std::string line;
        for (std::size_t i = 0; i < table->fields.size(); ++i)
          line += (i == 0 ? "" : ";") + Cp1251ToUtf8(FieldHandle(table->fields, i).ValueText(file.Record()));
        lines.push_back(line);
      }
    }
    (void)PerformFileOperation(file, FileOperation::CLOSE);
    return lines;
  }
};

// Runs `text` on a fresh reference program whose data folder is `folder`
// (the current folder while it runs), the runtime installed while it runs.
template <class Runtime, class Driver>
ReferenceOutcome RunReferenceScript(const std::filesystem::path& folder, const std::string& text,
                                    const std::string& fileName) {
  RegisterBuiltInDrivers();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  ReferenceProgram program;
  ReferenceOutcome outcome;
  std::ostringstream errors;
  outcome.status = RunScriptOn<Runtime, Driver>(text, fileName, [&] { program.Main(); }, errors, &outcome.ended);
  outcome.errors = errors.str();
  std::filesystem::current_path(before);
  outcome.folder = folder;
  return outcome;
}

// The text of a reference session (tests/testing/reference_sessions/NAME.script);
// empty when there is none.
inline std::string ReferenceSession(const std::string& name) { return SessionText(ZELVO_REFERENCE_SESSIONS, name); }

}  // namespace zelvo
