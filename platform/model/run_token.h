// RunToken: the one token that lets a thread run program code, handed from
// thread to thread in a fair order.
//
// Each participant (a procedure thread, or a driver that wants to read the
// program's state) has a Seat. A seat that wants the token is made ready and
// joins the end of one queue; the holder gives the token up with Release,
// which hands it at once to the seat at the front of the queue (or leaves it
// free when nobody waits). Seats are served strictly in the order they became
// ready, so with the same inputs the threads always take the same turns.
//
// Every operation requires mutex() to be held by the caller; the window model
// keeps the rest of its scheduling state (input queues, thread states) under
// the same lock, so a look at "who may run" is never half-way through a change.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

namespace zelvo {

class RunToken {
 public:
  struct Seat {
    std::condition_variable wake;
  };

  std::mutex& mutex() { return mutex_; }

  // Queues `seat` for the token unless it holds it or already waits for it;
  // a free token goes to it at once.
  void MakeReady(Seat& seat);
  // The holder gives the token up: it passes to the first ready seat.
  // REQUIRES: Holds(seat).
  void Release(Seat& seat);
  // Waits, with the lock, until `seat` holds the token.
  void Await(Seat& seat, std::unique_lock<std::mutex>& lock);
  // Same, giving up at `deadline`: false then (the seat may still be queued).
  template <class TimePoint>
  bool AwaitUntil(Seat& seat, std::unique_lock<std::mutex>& lock, TimePoint deadline) {
    return seat.wake.wait_until(lock, deadline, [&] { return holder_ == &seat; });
  }

  bool Holds(const Seat& seat) const { return holder_ == &seat; }
  bool IsReady(const Seat& seat) const;
  // No seat holds the token and none waits for it.
  bool IsQuiet() const { return holder_ == nullptr && ready_.empty(); }
  const Seat* Holder() const { return holder_; }
  const std::deque<Seat*>& Ready() const { return ready_; }

  // Notified at every hand-over, for those who watch the program go quiet.
  std::condition_variable changed;

 private:
  void HandOver();

  std::mutex mutex_;
  Seat* holder_ = nullptr;
  std::deque<Seat*> ready_;
};

}  // namespace zelvo
