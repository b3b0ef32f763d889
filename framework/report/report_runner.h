// ReportRunner: the progress window of a report procedure. It walks the
// report's view with a ProgressReader, calls the reader's TakeRecord once per
// record (where the procedure prints its bands through the ReportComposer),
// paces itself on the window's timer so other windows stay usable, and at
// the end shows the pages in a PagePreview and prints them when the user
// asks. An empty view ends the run with message 22 "No Records".
//
// A report procedure derives from it:
//
//     class RaschPr final : public ReportRunner {
//       WindowDefinition DefineWindow() override {      // tables, then the window
//         UseTable(*relations::NBASA);
//         return ProgressWindow();
//       }
//       Level WindowOpened() override {                  // reader, order, filter, runner
//         process_.InitCounted(view_, *relations::NBASA, progressText, progressBar, 0);
//         process_.AddSortOrder(2);  process_.SetStandardFilter(...);
//         InitRunner(process_, composer_, &preview_);
//         return ReportRunner::WindowOpened();
//       }
//     };
//
// States and the operations behind each change:
//
//     initialised --first open: OpenReport (or the first tick with deferOpenReport)-->
//       no record: OnNoRecords (message 22), openFailed, the window ends (response 2)
//       a record:  report open --Timer: TakeCycleRecord × recordsPerCycle--> ...
//     --end of the view (NextRecord): response 1, close | cancel button: response 2, close-->
//     closing: OnCloseRequest --> FinishReport (response 1: preview, print) --> killed
//
// With deferWindow the window stays hidden (with the wait cursor when
// waitCursor) until that many seconds have passed; a short report never
// shows it. Closing hides it unless keepVisible.
//
// Pacing (each EVENT:Timer): the records of one cycle are processed; with E
// the time the cycle took, recordsPerCycle doubles when 5E < 4 × timeSlice,
// another cycle follows in the same tick while 2E < timeSlice, and
// recordsPerCycle halves when E > 3 × timeSlice. Times in hundredths of a
// second from the runtime's clock.
//
// Used only by the run token's holder, on the report procedure's thread.
#pragma once

#include <cstdint>

#include "framework/report/page_preview.h"
#include "framework/report/progress_reader.h"
#include "framework/window/window_procedure.h"
#include "platform/report_composer.h"

namespace zelvo {

class ReportRunner : public WindowProcedure {
 public:
  ReportRunner(std::string name, ErrorReporter& reporter, IniStore& settings);

  // Binds the reader, the report and the preview (none: print at once);
  // recordsPerCycle := 1, timeSlice := 100.
  void InitRunner(ProgressReader& reader, ReportComposer& composer, PagePreview* pagePreview);
  // Releases the pages and unbinds; LevelNotify when the runner is dead or has no process.
  Level KillRunner();

  // Virtual operations, in slot order -------------------------------------------
  virtual void FinishReport();
  // LevelOk a record; LevelNotify the end (response 1 after records, 2 when
  // there were none); LevelFatal a read error (response 2). The window is
  // asked to close at the end and on an error.
  virtual Level NextRecord();
  virtual void OpenReport();
  virtual void OnNoRecords();
  virtual Level TakeCycleRecord();

  // The pages of the last run that finished with response 1 (what the
  // preview showed before any were dropped).
  const SharedPages& FinishedPages() const { return finished_; }

  // Fields, in the order of their declaration.
  bool deferOpenReport = false;
  int deferWindow = 0;  // seconds the progress window stays hidden
  bool keepVisible = false;
  bool openFailed = false;
  bool noRecords = false;  // the run ended with "No Records"
  PagePreview* preview = nullptr;
  ProgressReader* process = nullptr;
  long recordsPerCycle = 1;
  ReportComposer* report = nullptr;
  bool skipPreview = false;
  long startTime = 0;
  int timeSlice = 100;
  bool waitCursor = false;
  int zoom = 0;
  // False: the finished pages are only kept (FinishedPages) — for the
  // command line, which writes them itself — and neither shown nor printed.
  bool sendPages = true;

  // The progress window's controls (ProgressWindow).
  ControlId progressBar = 0;
  ControlId progressText = 0;
  ControlId cancelButton = 0;

 protected:
  // The progress window: "Progress...", its bar, its text and Cancel
  // (registered as a close button with response 2).
  WindowDefinition ProgressWindow();
  // The reader's progress shows in the window; the first open is the report's.
  Level WindowOpened() override;
  Level EventLoop() override;
  void FirstOpen() override;
  Level OnCloseRequest() override;
  Level OnWindowEvent(const Event& event) override;
  Level KillWindow() override;

 private:
  Level TakeTimer();
  bool running_ = false;
  bool waiting_ = false;  // the wait cursor is shown
  Level lastRead_ = LevelOk;  // records are being processed (the report is open)
  SharedPages finished_;
};

}  // namespace zelvo
