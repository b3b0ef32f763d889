// WindowModel: the window runtime without its display — procedure threads
// under the one run token, the windows they open, their events and the user's
// input turned into events. Both back ends are this model: the headless one
// with no presenter, the Qt one with a presenter that keeps widgets in step.
//
// The run token. A procedure thread holds it while it runs program code and
// gives it up only while it waits for the user: in Window::NextEvent with
// nothing to answer, in a message box, in a popup, in the printer set-up. The
// token passes in the order threads became ready to run (a new procedure, a
// thread the user gave input to, a thread an event was posted to), so the
// same inputs give the same turns. A procedure started with StartProcedure
// queues behind the threads already waiting and therefore begins when its
// starter next waits.
//
//     Run(program) --> program thread holds the token
//        NextEvent: events queued? answer --+
//                   input queued? apply it, loop
//                   headless timer? give the token a turn, then EVENT:Timer
//                   otherwise: tell the presenter, give the token up, wait
//
// The frame's close sequence: a close request for the frame (its close box,
// the Exit menu command, an EVENT:CloseWindow posted to it) is held back
// while document windows are open; they are asked one at a time, the top
// window of each thread, the newest first, with EVENT:CloseDown. A window
// that closes passes the question on; a window whose procedure goes back to
// waiting without closing refuses, the request is dropped and the frame
// stays open. With none left the request reaches the frame, whose procedure
// closes it. Closing the frame itself (Window::Close) closes the document
// windows still open at once: their event loops answer None.
//
// Exit closes everything without asking: every procedure thread ends at its
// next wait (its stack unwound, holding the token), and Run answers the
// status once the last has ended.
//
// Idle (for drivers): the program runs, no thread holds the token or waits
// for it (so no input or deliverable event is queued and no headless timer
// is armed on a waiting window), and with a presenter no window timer is armed.
//
// Every WindowRuntime operation but Run is called by the token's holder; the
// user's side (Input, WaitIdle, Ended, Quit, Inspect) from any other thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/model/model_window.h"
#include "platform/model/presenter.h"
#include "platform/model/procedure_thread.h"
#include "platform/model/run_token.h"
#include "platform/model/user_input.h"
#include "platform/window_runtime.h"

namespace zelvo {

// A message box or popup a procedure thread waits in.
struct OpenQuestion {
  int handle = 0;  // the window it belongs to: its thread's top window, 0 none
  ProcedureThread* thread = nullptr;
  bool isPopup = false;
  MessageBoxRequest message;     // a message box
  std::vector<PopupItem> items;  // a popup
  ControlId list = 0;            // a popup: the list it opened over
};

class WindowModel : public WindowRuntime {
 public:
  // `presenter` may be nullptr (headless); it must outlive the model.
  explicit WindowModel(Presenter* presenter = nullptr);
  ~WindowModel() override;
  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  // WindowRuntime ---------------------------------------------------------------
  int Run(std::function<void()> program) override;
  [[nodiscard]] bool StartProcedure(std::function<void()> procedure, std::size_t stackBytes) override;
  std::unique_ptr<Window> Open(const WindowDefinition& definition) override;
  [[nodiscard]] unsigned Show(const MessageBoxRequest& request) override;
  void SetWaitCursor(bool wait) override;
  void SetStatusText(std::string_view text) override;
  void Perform(StandardAction action) override;
  [[noreturn]] void Exit(int status) override;

  // Run in two halves, for a display whose first thread runs its own loop:
  // Start returns at once; Wait returns Run's answer once the program ended.
  // `ended` (optional) is called once, on the last procedure thread, when the
  // program has ended.
  void Start(std::function<void()> program, std::function<void()> ended = {});
  int Wait();

  // The user's side --------------------------------------------------------------
  // Queues `input` for the window `handle` (a MessageAnswer or PopupChosen for
  // the question open over it, 0: over no window); ignored when no such
  // window or question is open.
  void Input(int handle, UserInput input);
  // Waits until the program is idle or has ended: false after `seconds`,
  // with the procedures still running in `busy`.
  [[nodiscard]] bool WaitIdle(double seconds, std::string* busy);
  bool Ended() const;
  // Exit(status) asked from outside the program (a driver giving up).
  void Quit(int status);
  // Runs `look` holding the run token, so that the windows can be read (and
  // input queued) while no procedure runs. Not from a procedure thread.
  void Inspect(const std::function<void()>& look);

  // Read by the token's holder (Inspect) --------------------------------------------
  const std::vector<ModelWindow*>& OpenWindows() const { return windows_; }
  ModelWindow* FindWindow(int handle) const;
  // The document window with the focus; the frame when no document has it.
  const ModelWindow* ActiveWindow() const;
  const ModelWindow* Frame() const { return frame_; }
  std::vector<OpenQuestion> Questions() const;
  const std::string& StatusText() const { return statusText_; }
  int WaitCursor() const { return waitCursor_; }
  bool HasPresenter() const { return presenter_ != nullptr; }

  // For ModelWindow (token held) ------------------------------------------------------
  Event NextEvent(ModelWindow& window);
  // The program's Close (the frame's may start its close sequence); CloseNow
  // closes at once, as a window object going away or Exit does.
  void Close(ModelWindow& window);
  void CloseNow(ModelWindow& window);
  void Posted(ModelWindow& window);  // an event was queued: wake its thread
  void Activate(ModelWindow& window);
  void ChooseMenuItem(ModelWindow& frame, ControlId item);
  int Popup(ModelWindow& window, const std::vector<PopupItem>& items);
  void TimerChanged(int before, int after);

 private:
  ProcedureThread& Launch(std::function<void()> procedure, bool counted, std::size_t stackBytes);
  void ThreadBody(ProcedureThread& thread);
  void FinishThread(ProcedureThread& thread);
  void ReapEnded();
  // Gives the token up until input or an event arrives for `thread` (or its
  // timer is due); takes it back before it returns.
  void WaitForInput(ProcedureThread& thread, const ModelWindow* waitingOn);
  // Applies the thread's next queued input; false when none was queued.
  bool ApplyNextInput(ProcedureThread& thread);
  unsigned Ask(OpenQuestion question);
  void PublishChanges();
  void Unregister(ModelWindow& window);
  void AskNextDocument();
  bool DocumentsOpen() const;
  void BeginExit(int status);
  [[noreturn]] void EndThread(ProcedureThread& thread);
  void ArrangeDocuments(StandardAction action);
  std::string BusyNames() const;

  Presenter* presenter_;
  mutable RunToken token_;

  // (lock)
  std::vector<std::unique_ptr<ProcedureThread>> threads_;
  std::vector<OpenQuestion*> questions_;
  std::vector<std::pair<int, ProcedureThread*>> owners_;  // window handle -> its thread
  int counted_ = 0;        // running threads started by StartProcedure
  int threadNumbers_ = 0;
  int armedTimers_ = 0;
  bool started_ = false;
  bool ended_ = false;
  std::atomic<bool> exiting_ = false;
  int status_ = 0;
  std::function<void()> onEnded_;
  std::condition_variable endedChanged_;

  // (token)
  std::vector<ModelWindow*> windows_;   // open windows, in the order they opened
  std::vector<ModelWindow*> zOrder_;    // document windows, the last activated last
  ModelWindow* active_ = nullptr;
  ModelWindow* frame_ = nullptr;
  bool frameClosed_ = false;
  int lastHandle_ = 0;
  bool closing_ = false;                // the frame's close sequence runs
  ModelWindow* asked_ = nullptr;        // the window it asked last
  bool askedAnswered_ = false;          // that window has taken its EVENT:CloseDown
  int waitCursor_ = 0;
  std::string statusText_;
};

}  // namespace zelvo
