// ProcedureThread: one OS thread of the program, the program's start-up or a
// procedure started from a menu command, as the window model keeps it: its
// seat at the run token, its window stack, the user input waiting for it.
//
// A procedure thread runs program code only while it holds the run token.
// Its stack is the size asked for, but never below kStackFloor: the program's
// code (pictures, filter expressions, the drivers' page buffers) needs more
// than the 20000 bytes a caller may ask for.
//
// Fields marked (lock) are read and written under the run token's mutex;
// fields marked (token) only by the token's holder.
#pragma once

#include <pthread.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/model/run_token.h"
#include "platform/model/user_input.h"

namespace zelvo {

class ModelWindow;

struct PendingInput {
  int handle = 0;  // the window it is for
  UserInput input;
};

class ProcedureThread {
 public:
  // 1 MiB: what the deepest paths of the program (a view over a filter
  // expression reading indexed pages) need with room to spare.
  static constexpr std::size_t kStackFloor = std::size_t{1} << 20;

  enum class State { Starting, Running, Waiting, Ended };

  ProcedureThread(int number, bool counted, std::function<void()> procedure)
      : number_(number), counted_(counted), procedure_(std::move(procedure)) {}
  ProcedureThread(const ProcedureThread&) = delete;
  ProcedureThread& operator=(const ProcedureThread&) = delete;

  // The stack a request gets: at least `minimum` and kStackFloor, rounded up
  // to whole pages.
  static std::size_t StackSizeFor(std::size_t requested, std::size_t minimum);
  // Starts the OS thread running `body` with the thread known as Current().
  // False when the system refuses the thread.
  [[nodiscard]] bool Launch(std::size_t stackBytes, std::function<void(ProcedureThread&)> body);
  void Join();
  // What the OS thread runs (the body given to Launch); called only there.
  void Body();

  // The procedure thread the caller runs on; nullptr on any other thread.
  static ProcedureThread* Current();

  int number() const { return number_; }
  bool counted() const { return counted_; }  // started by StartProcedure
  std::function<void()>& procedure() { return procedure_; }

  RunToken::Seat seat;
  State state = State::Starting;        // (lock)
  std::deque<PendingInput> inputs;      // (lock)
  std::string name;                     // (lock) its top window's procedure, for "still running"
  std::vector<ModelWindow*> windows;    // (token) open windows, the last one on top
  bool ending = false;                  // (token) unwinding after Exit: waits answer at once
  bool timerTurn = false;               // (token) it gave the token up once for its timer
  int modal = 0;                        // (token) message boxes and popups it waits in

 private:
  int number_;
  bool counted_;
  std::function<void()> procedure_;
  std::function<void(ProcedureThread&)> body_;
  pthread_t thread_{};
  bool launched_ = false;
};

}  // namespace zelvo
