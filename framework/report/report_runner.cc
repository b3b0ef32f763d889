#include "framework/report/report_runner.h"

#include "framework/data/message_table.h"
#include "platform/page_output.h"
#include "platform/window_runtime.h"
#include "runtime/cp1251.h"
#include "runtime/date_time.h"

namespace zelvo {
namespace {

constexpr long kHundredthsPerDay = 8640000;

long Now() { return CLOCK(); }

// Hundredths of a second since `then`, across midnight.
long Since(long then) { return ((Now() - then) % kHundredthsPerDay + kHundredthsPerDay) % kHundredthsPerDay; }

}  // namespace

ReportRunner::ReportRunner(std::string name, ErrorReporter& reporter, IniStore& settings)
    : WindowProcedure(std::move(name), reporter, settings) {}

WindowDefinition ReportRunner::ProgressWindow() {
  WindowDefinition w(Name(), "Progress...");
  progressBar = w.Progress("Progress:Thermometer");
  progressText = w.Prompt("0% Complete");
  cancelButton = w.Button("Cancel", ButtonRole::Cancel);
  AddCloseButton(cancelButton, kCancelled);
  return w;
}

void ReportRunner::InitRunner(ProgressReader& reader, ReportComposer& composer, PagePreview* pagePreview) {
  process = &reader;
  report = &composer;
  preview = pagePreview;
  recordsPerCycle = 1;
  timeSlice = 100;
  openFailed = false;
  noRecords = false;
  running_ = false;
  finished_.reset();
}

Level ReportRunner::KillRunner() {
  if (dead || process == nullptr) return LevelNotify;
  if (preview != nullptr) preview->SetImageQueue(nullptr);
  process->KillReader();
  process = nullptr;
  report = nullptr;
  preview = nullptr;
  return LevelOk;
}

Level ReportRunner::WindowOpened() {
  if (process != nullptr) process->ShowProgressIn(&window());
  if (process != nullptr && process->primary != nullptr) process->primary->SwitchQuickScan(true, 1);
  return LevelOk;
}

Level ReportRunner::KillWindow() {
  if (waiting_) TheWindowRuntime().SetWaitCursor(false);
  waiting_ = false;
  (void)KillRunner();
  return WindowProcedure::KillWindow();
}

Level ReportRunner::EventLoop() {
  if (deferWindow > 0) {
    if (waitCursor) {
      TheWindowRuntime().SetWaitCursor(true);
      waiting_ = true;
    }
    startTime = Now();
    window().Show(0, false);
  }
  return WindowProcedure::EventLoop();
}

void ReportRunner::FirstOpen() {
  WindowProcedure::FirstOpen();
  if (!deferOpenReport) OpenReport();
  // The work goes on in the timer's ticks, so the window stays responsive.
  window().SetTimer(1);
}

void ReportRunner::OpenReport() {
  deferOpenReport = false;
  if (process == nullptr || report == nullptr) {
    openFailed = true;
    return;
  }
  if (!process->PositionAtStart()) {  // message 40 was shown
    openFailed = true;
    SetResponse(kCancelled);
    return;
  }
  if (NextRecord() != LevelOk) {
    if (lastRead_ == LevelNotify) OnNoRecords();
    openFailed = true;
    return;
  }
  openFailed = false;
  report->Open();
  running_ = true;
}

void ReportRunner::OnNoRecords() {
  noRecords = true;
  (void)errors->Raise(kMsgNoRecords);
}

Level ReportRunner::NextRecord() {
  lastRead_ = process->ReadCounted(true);
  if (lastRead_ == LevelOk) return LevelOk;
  if (lastRead_ == LevelNotify && process->recordsProcessed > 0) {
    SetResponse(kCompleted);
    return LevelNotify;
  }
  SetResponse(kCancelled);
  return LevelFatal;
}

Level ReportRunner::TakeCycleRecord() {
  const Level step = process->TakeRecord();
  if (step == LevelFatal) {
    window().SetTimer(0);
    window().Post(EventNumber::CloseWindow);
    return LevelFatal;
  }
  // LevelNotify ends the cycle after the next record is fetched: the step
  // is done with this one.
  if (const Level next = NextRecord(); next != LevelOk) {
    window().SetTimer(0);
    return next;
  }
  return step;
}

Level ReportRunner::OnWindowEvent(const Event& event) {
  if (event.number == EventNumber::Timer) {
    if (const Level level = TakeTimer(); level != LevelOk) return level;
  }
  return WindowProcedure::OnWindowEvent(event);
}

Level ReportRunner::TakeTimer() {
  if (deferOpenReport) OpenReport();
  if (openFailed) return LevelFatal;
  if (!running_) return LevelOk;
  const long cycleStart = Now();
  if (deferWindow > 0 && Since(startTime) > deferWindow * 100L) {
    if (waiting_) TheWindowRuntime().SetWaitCursor(false);
    waiting_ = false;
    deferWindow = 0;
    window().Show(0, true);
  }
  long done = 0;
  for (;;) {
    while (done < recordsPerCycle) {
      ++done;
      if (TakeCycleRecord() != LevelOk) return LevelOk;
    }
    const long elapsed = Since(cycleStart);
    if (5 * elapsed < 4L * timeSlice) recordsPerCycle *= 2;
    if (2 * elapsed < timeSlice) continue;  // more records in this tick
    if (elapsed > 3L * timeSlice && recordsPerCycle > 1) recordsPerCycle /= 2;
    return LevelOk;
  }
}

Level ReportRunner::OnCloseRequest() {
  if (waiting_) TheWindowRuntime().SetWaitCursor(false);
  waiting_ = false;
  if (HasWindow()) {
    window().SetTimer(0);
    if (!keepVisible) window().Show(0, false);
  }
  if (running_) {
    running_ = false;
    FinishReport();
  }
  return LevelOk;
}

void ReportRunner::FinishReport() {
  if (report == nullptr) return;
  SharedPages pages = report->Finish();
  if (response != kCompleted || !pages || pages->pages.empty()) return;  // a cancelled run prints nothing
  finished_ = pages;
  if (!sendPages) return;
  bool print = true;
  if (preview != nullptr && !skipPreview) {
    preview->SetImageQueue(pages);
    print = preview->ShowPreview(zoom);
    pages = preview->Pages();
    preview->SetImageQueue(nullptr);
  }
  if (!print || !pages || pages->pages.empty()) return;
  PageOutput* output = InstalledPageOutput();
  const std::string why = output != nullptr ? output->Print(*pages) : "no printer is set up";
  if (!why.empty()) {
    MessageBoxRequest box;
    box.text = Utf8ToCp1251(why).value_or("The pages could not be printed.");
    box.caption = Cp1251Literal("Печать");
    box.icon = MessageIcon::Exclamation;
    (void)TheWindowRuntime().Show(box);
  }
}

}  // namespace zelvo
