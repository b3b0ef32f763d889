#include "app/cli/report_command.h"

#include <strings.h>

#include <iostream>
#include <memory>
#include <optional>

#include "app/cli/record_json.h"
#include "core/month_taxes.h"
#include "core/pay_values.h"
#include "core/program_variables.h"
#include "core/startup/program_objects.h"
#include "platform/headless/headless_session.h"
#include "platform/page_output.h"
#include "reports/report_catalogue.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

constexpr double kWaitSeconds = 60;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// --today: the program's date, the time of day still the system's.
class TodayClock final : public Clock {
 public:
  explicit TodayClock(DayNumber today) : today_(today) {}
  LocalDateTime Now() const override {
    LocalDateTime now = SystemClock().Now();
    now.year = Year(today_);
    now.month = Month(today_);
    now.day = Day(today_);
    return now;
  }

 private:
  DayNumber today_;
};

// The reporter's message boxes, shown by the window runtime the report runs on.
class RuntimeBox final : public MessageBox {
 public:
  unsigned Show(const MessageBoxRequest& request) override { return TheWindowRuntime().Show(request); }
};

// A value given with --set: where it goes, or the dialog entry it answers.
struct Setting {
  std::string name;
  std::string value;
  bool dialog = false;
};

// The field called `name` in `record`'s layout, nullptr for none.
const FieldDeclaration* FieldNamed(const RecordBuffer& record, std::string_view name) {
  for (const FieldDeclaration& field : record.Layout())
    if (SameName(field.name, name)) return &field;
  return nullptr;
}

// The command, with the program set up around it.
class ReportRun {
 public:
  ReportRun(const ReportOptions& options, std::ostream& errors) : options_(options), errors_(errors) {}

  int Run() {
    entry_ = FindReport(options_.name);
    if (entry_ == nullptr) return Fail("no report is called \"" + options_.name + "\" (zelvo report --list)");
    const int outputs = (options_.pdf.empty() ? 0 : 1) + (options_.text.empty() ? 0 : 1) + (options_.print ? 1 : 0);
    if (outputs != 1) return Fail("give exactly one of --pdf FILE, --text FILE, --print");
    std::optional<TodayClock> clock;
    if (!options_.today.empty()) {
      RecordBuffer day(kProgramVariablesFields);
      if (FieldFromJson(Json(options_.today), *FieldNamed(day, "dat"), day, "--today"))
        return Fail("--today: \"" + options_.today + "\" is not a date YYYY-MM-DD");
      clock.emplace(VAR.dat.Get(day));
    }
    // The program's objects first: they start the variables cleared.
    ProgramObjects objects(box_);
    if (int status = ReadSettings(); status != 0) return status;
    if (clock) SetClock(&*clock);
    const int status = Produce();
    if (clock) SetClock(nullptr);
    return status;
  }

 private:
  int Fail(const std::string& why) {
    errors_ << "zelvo report: " << why << "\n";
    return 2;
  }

  // Every --set checked and stored; the dialog's entries kept for the dialog.
  int ReadSettings() {
    for (const std::string& text : options_.settings) {
      const std::size_t equals = text.find('=');
      if (equals == std::string::npos || equals == 0) return Fail("--set " + text + ": write NAME=VALUE");
      Setting s{text.substr(0, equals), text.substr(equals + 1)};
      for (const char* entry : entry_->dialogEntries)
        if (SameName(entry, s.name)) s.dialog = true;
      if (!s.dialog) {
        RecordBuffer* record = nullptr;
        const FieldDeclaration* field = nullptr;
        for (RecordBuffer* candidate : {&ProgramVariables(), &PayValues()})
          if ((field = FieldNamed(*candidate, s.name)) != nullptr) {
            record = candidate;
            break;
          }
        if (field == nullptr) return Fail("--set " + s.name + ": no such variable");
        if (const JsonReadResult bad = FieldFromJson(Json(s.value), *field, *record, "--set " + s.name))
          return Fail(bad->Message());
        given_.emplace_back(field->name);
      }
      settings_.push_back(std::move(s));
    }
    for (const char* entry : entry_->dialogEntries) {
      bool found = false;
      for (const Setting& s : settings_) found = found || (s.dialog && SameName(s.name, entry));
      if (!found)
        return Fail(std::string("--set ") + entry + "=...: the report's dialog " + entry_->dialog +
                    " asks for it (0 or empty when unused)");
    }
    return 0;
  }

  bool Given(std::string_view name) const {
    for (const std::string& g : given_)
      if (SameName(g, name)) return true;
    return false;
  }

  // What the monthly tax browse computes from the data, unless given.
  int ComputeStartingValues() {
    const PayGlobals globals = PayGlobals::Program();
    PayResult result;
    if (!Given("DNR")) result.Merge(LoadMonthWorkingDays(globals));
    if (!Given("F28") && !Given("F")) result.Merge(ComputeMonthContributions(globals));
    if (!Given("F28") && Given("F"))
      if (PAY.F28.Set(globals.pay, PAY.F.Get(globals.pay) * Decimal::Parse("0.20")) != StoreResult::Ok)
        result.overflows.emplace_back("F28");
    for (const std::string& table : result.unreadable) return Fail("cannot read " + table);
    for (const std::string& target : result.overflows) return Fail(target + ": the computed value does not fit");
    return 0;
  }

  // Runs the report headless, answering its dialog and its messages.
  int Produce() {
    SharedPages pages;
    bool noRecords = false;
    int starting = 0;
    HeadlessSession session([&] {
      WindowDefinition frame("Main", "zelvo report", WindowKind::Frame);
      std::unique_ptr<Window> main = TheWindowRuntime().Open(frame);
      if ((starting = ComputeStartingValues()) != 0) return main->Close();
      if (entry_->askDialog != nullptr) entry_->askDialog();
      std::unique_ptr<ReportRunner> report = entry_->make();
      report->sendPages = false;
      (void)report->RunWindow();
      pages = report->FinishedPages();
      noRecords = report->noRecords;
      main->Close();
    });
    std::vector<std::string> messages;
    bool dialogAnswered = entry_->askDialog == nullptr;
    HeadlessDriver& driver = session.driver();
    while (!driver.Ended()) {
      std::string busy;
      if (!session.WaitIdle(kWaitSeconds, &busy)) {
        driver.Quit();
        (void)session.Finish();
        return Fail("the report did not finish: " + busy);
      }
      if (driver.Ended()) break;
      if (const std::optional<MessageView> message = driver.Message()) {
        messages.push_back(message->text);
        (void)driver.Answer(message->buttons.empty() ? "Ok" : message->buttons.front());
        continue;
      }
      if (!dialogAnswered) {
        dialogAnswered = true;
        if (std::string why = AnswerDialog(driver); !why.empty()) {
          driver.Quit();
          (void)session.Finish();
          return Fail(why);
        }
        continue;
      }
      driver.Quit();
      (void)session.Finish();
      return Fail("the report waits for input it was not given");
    }
    (void)session.Finish();
    if (starting != 0) return starting;

    if (!pages) {
      if (noRecords) {
        errors_ << "zelvo report: No Records" << (messages.empty() ? "" : ": " + messages.front()) << "\n";
        return 1;
      }
      return Fail(messages.empty() ? "the report printed nothing" : messages.front());
    }
    std::string why;
    if (options_.print) {
      PageOutput* output = InstalledPageOutput();
      why = output != nullptr ? output->Print(*pages) : "no printer can be reached from here";
    } else {
      why = SavePages(*pages, options_.pdf.empty() ? options_.text : options_.pdf);
    }
    return why.empty() ? 0 : Fail(why);
  }

  // Types each given value into the dialog's entry of that name, then OK, and
  // closes the dialog when its OK leaves it open.
  std::string AnswerDialog(HeadlessDriver& driver) {
    for (const WindowView& window : driver.Windows()) {
      if (window.procedure != entry_->dialog) continue;
      for (const Setting& s : settings_) {
        if (!s.dialog) continue;
        const ControlView* entry = nullptr;
        for (const ControlView& c : window.controls)
          if (c.kind == ControlKind::Entry && SameName(c.name, s.name)) entry = &c;
        if (entry == nullptr) return "--set " + s.name + ": the dialog has no such entry";
        if (std::string why = driver.Type(window.handle, entry->id, s.value); !why.empty())
          return "--set " + s.name + ": " + why;
      }
      std::string why;
      if (!Idle(driver)) return "the dialog does not answer";
      for (const WindowView& typed : driver.Windows())
        if (typed.handle == window.handle)
          for (const Setting& s : settings_)
            for (const ControlView& c : typed.controls)
              if (s.dialog && c.kind == ControlKind::Entry && SameName(c.name, s.name) &&
                  !SameValue(c.value, s.value))
                return "--set " + s.name + ": \"" + s.value + "\" is refused by the dialog";
      for (const ControlView& c : window.controls)
        if (c.kind == ControlKind::Button && c.role == ButtonRole::None && c.shown == "OK")
          why = driver.Press(window.handle, c.id);
      if (!why.empty()) return why;
      if (!Idle(driver)) return "the dialog does not answer";
      for (const WindowView& still : driver.Windows())
        if (still.handle == window.handle)
          for (const ControlView& c : still.controls)
            if (c.kind == ControlKind::Button && c.role == ButtonRole::Cancel) return driver.Press(still.handle, c.id);
      return {};
    }
    return std::string("the dialog ") + entry_->dialog + " did not open";
  }

  static bool Idle(HeadlessDriver& driver) {
    std::string busy;
    return driver.WaitIdle(kWaitSeconds, &busy);
  }

  // The value the entry holds against the one given: texts trimmed, numbers
  // by value, an empty number as 0.
  static bool SameValue(const std::string& held, const std::string& given) {
    auto trim = [](std::string t) {
      t.erase(0, t.find_first_not_of(' '));
      t.erase(t.find_last_not_of(' ') + 1);
      return t;
    };
    const std::string a = trim(held), b = trim(given);
    if (a == b || (b.empty() && a == "0")) return true;
    const bool numeric = !b.empty() && b.find_first_not_of("0123456789.-") == std::string::npos;
    return numeric && !a.empty() && Decimal::Parse(a) == Decimal::Parse(b);
  }

  const ReportOptions& options_;
  std::ostream& errors_;
  const ReportEntry* entry_ = nullptr;
  std::vector<Setting> settings_;
  std::vector<std::string> given_;
  RuntimeBox box_;
};

}  // namespace

int RunReport(const ReportOptions& options, std::ostream& out, std::ostream& errors) {
  if (options.list) {
    for (const ReportEntry& entry : ReportCatalogue())
      out << entry.name << "\t" << entry.paper << "\t" << entry.title << "\n";
    return 0;
  }
  return ReportRun(options, errors).Run();
}

ReportCommand::ReportCommand(CLI::App& parent) {
  command_ = parent.add_subcommand("report", "Run a report to PDF, to its text listing or to the printer");
  command_->footer(
      "Dates are YYYY-MM-DD, amounts are written with a point; every entry of the report's dialog must be\n"
      "given (0 or empty when unused). DNR, F and F28 are computed from the data unless given.\n\n"
      "Exit status: 0 the file written or the pages printed; 1 No Records; 2 bad input or a failed run\n"
      "(one line on standard error). A run that fails writes no file.");
  command_->add_flag("--list", options_.list, "Name the reports and their paper");
  command_->add_option("NAME", options_.name, "The report procedure (RaschPr, RaschSelPr, pfPr)");
  command_->add_option("--set", options_.settings,
                       "NAME=VALUE...: a variable, or an entry of the report's dialog (repeatable)");
  command_->add_option("--today", options_.today, "The date the program takes as today (YYYY-MM-DD)");
  command_->add_option("--pdf", options_.pdf, "Write the pages as PDF");
  command_->add_option("--text", options_.text, "Write the pages' text listing");
  command_->add_flag("--print", options_.print, "Send the pages to the printer");
}

int ReportCommand::Run() const {
  if (!options_.list && options_.name.empty()) {
    std::cerr << "zelvo report: name the report (zelvo report --list)\n";
    return 2;
  }
  return RunReport(options_, std::cout, std::cerr);
}

}  // namespace zelvo
