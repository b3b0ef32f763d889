// WindowRuntime: what the program needs of a window runtime — windows opened
// from their definitions, the modal message box, the wait cursor, the frame's
// standard actions, and procedure threads under one run token.
//
// Procedure threads and the run token. The program runs on procedure threads:
// the first runs the program's start-up (Run), every menu command starts
// another (StartProcedure). Exactly one of them holds the run token at a time
// and only the holder runs program code (globals, record buffers, open
// files); a thread gives the token up only while it waits for the user — in
// Window::NextEvent, a message box, a popup — and takes it back before it goes
// on. A procedure started on a new thread therefore begins when the starting
// thread next waits.
//
//     runtime.Run([] { Main(); });                 // the program, until it returns
//     runtime.StartProcedure([] { Konst(); }, 25000);  // from a menu command
//
// Two back ends implement it: platform/headless (no display; a driver acts as
// the user) and platform/qt (Qt widgets on the process's first thread, which
// never runs program code and never waits for the token).
//
// Every operation but Run is called only by the run token's holder.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "platform/message_box.h"
#include "platform/window.h"
#include "platform/window_definition.h"

namespace zelvo {

class WindowRuntime : public MessageBox {
 public:
  static constexpr std::size_t kMinimumStack = 20000;  // smaller requests are raised to it
  static constexpr int kMaximumProcedures = 63;        // threads StartProcedure runs at once

  ~WindowRuntime() override = default;

  // Runs `program` on a procedure thread of its own holding the token, and
  // returns its exit status once it has returned and every procedure thread
  // has ended: 0, or what Exit gave. Called once, on the process's first thread.
  virtual int Run(std::function<void()> program) = 0;

  // Starts `procedure` on a new thread with at least `stackBytes` of stack
  // (raised to kMinimumStack, and to the back end's safe floor). False, and
  // nothing started, when kMaximumProcedures such threads are running.
  [[nodiscard]] virtual bool StartProcedure(std::function<void()> procedure, std::size_t stackBytes) = 0;

  // Opens a window of the calling procedure thread. A Document window needs
  // the frame to be open; the frame is opened once, by the program's start-up.
  virtual std::unique_ptr<Window> Open(const WindowDefinition& definition) = 0;

  // The modal message box (MessageBox::Show): waits without the token.

  // The wait cursor over every window of the program, counted: as many
  // false as true calls restore the normal cursor.
  virtual void SetWaitCursor(bool wait) = 0;
  // The frame's status bar text (CP1251).
  virtual void SetStatusText(std::string_view text) = 0;
  // The frame's standard actions (also reached through StandardAction menu items).
  virtual void Perform(StandardAction action) = 0;

  // Ends the program with `status` (a fatal message's halt): every window
  // closes without asking, every procedure thread ends at its next wait, and
  // Run returns `status`. Does not return to its caller.
  [[noreturn]] virtual void Exit(int status) = 0;
};

// The program's one runtime, installed by the program's start-up before
// anything opens a window.
WindowRuntime& TheWindowRuntime();
void InstallWindowRuntime(WindowRuntime* runtime);
// The installed runtime, nullptr when none is (the command-line faces): a
// fatal message ends the program through it when there is one.
WindowRuntime* InstalledWindowRuntime();

}  // namespace zelvo
